// dof_scene.h -- the first scene: planet under a sky sphere, depth of field and glow.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cDoF : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
