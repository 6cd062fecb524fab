// abstract_ii_scene.h -- abstract scene II: blobby iso-surfaces and the spiral.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cAbstractIIScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
