// abstract_iii_scene.h -- abstract scene III: the return to the meteor cave (2:56.001 to 3:20.0).
#pragma once
#include "scenes/meteor_cave_scene.h"

namespace MorlenGL {

// No jolt; after 10 s the light swells to full strength whatever the music does; after 22 s the
// god-ray sphere swells, the cracked meteor bursts and the closing texture comes in upright.
class cAbstractIIIScene : public cMeteorCaveScene {
 public:
  cAbstractIIIScene() : cMeteorCaveScene(kCaveIII) {}
};

}  // namespace MorlenGL
