// planet_tree_scene.cpp -- the planet tree scene.
#include "scenes/planet_tree_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cPlanetTreeScene::Init() { return 0; }
void cPlanetTreeScene::Update() {}
void cPlanetTreeScene::Draw() {}

}  // namespace MorlenGL
