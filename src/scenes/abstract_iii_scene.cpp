// abstract_iii_scene.cpp -- abstract scene III.
#include "scenes/abstract_iii_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cAbstractIIIScene::Init() { return 0; }
void cAbstractIIIScene::Update() {}
void cAbstractIIIScene::Draw() {}

}  // namespace MorlenGL
