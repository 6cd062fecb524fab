// planet_water_scene.cpp -- the planet water scene.
#include "scenes/planet_water_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cPlanetWaterScene::Init() { return 0; }
void cPlanetWaterScene::Update() {}
void cPlanetWaterScene::Draw() {}

}  // namespace MorlenGL
