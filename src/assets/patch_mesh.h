// patch_mesh.h -- a two-dimensional evaluator mesh taken once from the driver and drawn from a buffer.
#pragma once
#include "assets/geometry.h"

namespace MorlenGL {

// Evaluates the enabled two-dimensional vertex and texture-coordinate maps (normals by
// GL_AUTO_NORMAL) over the current map grid with the driver's own evaluator, reads every vertex back
// to the bit through feedback mode and uploads the strips. Program, current normal and texture
// coordinate are left as they were; drawing the mesh leaves them alone too, like the evaluator.
// False, with the mesh empty, when the driver gives back anything other than one point per grid
// point. The strips are what glEvalMesh2(GL_FILL, 0, uSteps, 0, vSteps)
// sends: one triangle strip per grid row v, each column u giving the vertex at v, then at v + 1.
bool CapturePatchMesh(int uSteps, int vSteps, VertexStrips& mesh);

}  // namespace MorlenGL
