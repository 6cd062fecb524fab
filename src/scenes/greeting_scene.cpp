// greeting_scene.cpp -- the greeting scene.
#include "scenes/greeting_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cGreetingScene::Init() { return 0; }
void cGreetingScene::Update() {}
void cGreetingScene::Draw() {}

}  // namespace MorlenGL
