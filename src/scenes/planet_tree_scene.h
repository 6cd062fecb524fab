// planet_tree_scene.h -- the planet tree scene.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cPlanetTreeScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
