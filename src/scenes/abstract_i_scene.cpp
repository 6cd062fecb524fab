// abstract_i_scene.cpp -- abstract scene I.
#include "scenes/abstract_i_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cAbstractIScene::Init() { return 0; }
void cAbstractIScene::Update() {}
void cAbstractIScene::Draw() {}

}  // namespace MorlenGL
