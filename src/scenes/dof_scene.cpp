// dof_scene.cpp -- the first scene: planet under a sky sphere, depth of field and glow.
#include "scenes/dof_scene.h"

namespace MorlenGL {

// The scene's content comes with its own work; until then it holds its timeline slot.
int cDoF::Init() { return 0; }
void cDoF::Update() {}
void cDoF::Draw() {}

}  // namespace MorlenGL
