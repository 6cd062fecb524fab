// planet_water_scene.h -- the planet water scene.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cPlanetWaterScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
