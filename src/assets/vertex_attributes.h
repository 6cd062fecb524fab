// vertex_attributes.h -- fixed generic attribute locations shared by the models and the shader programs.
#pragma once

namespace MorlenGL {

// Every program binds its "Tangent" attribute here before linking, so the models know where to feed it.
constexpr unsigned kTangentAttribute = 6;

}  // namespace MorlenGL
