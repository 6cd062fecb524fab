// abstract_ii_scene.cpp -- abstract scene II: blobby iso-surfaces and the spiral.
#include "scenes/abstract_ii_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cAbstractIIScene::Init() { return 0; }
void cAbstractIIScene::Update() {}
void cAbstractIIScene::Draw() {}

}  // namespace MorlenGL
