// abstract_i_scene.h -- abstract scene I: the first visit to the meteor cave (0:57.0 to 1:20.0).
#pragma once
#include "scenes/meteor_cave_scene.h"

namespace MorlenGL {

// The camera jolts at 7 s; the light follows the music throughout; the meteor cracks after 20 s
// and the closing texture comes in upside down over the upside-down overlay.
class cAbstractIScene : public cMeteorCaveScene {
 public:
  cAbstractIScene() : cMeteorCaveScene(kCaveI) {}
};

}  // namespace MorlenGL
