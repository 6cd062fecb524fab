// abstract_i_scene.h -- abstract scene I.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cAbstractIScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
