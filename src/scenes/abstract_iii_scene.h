// abstract_iii_scene.h -- abstract scene III.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cAbstractIIIScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
