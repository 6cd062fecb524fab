// geometry.h -- primitives the scenes share: the full-screen quad and friends.
#pragma once

namespace MorlenGL {

// One GL_QUADS quad in the plane z = 1 with texture coordinates 0..1; no normal.
void DrawQuad();

}  // namespace MorlenGL
