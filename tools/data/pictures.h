// pictures.h -- helpers shared by the picture generators: encoding through the sink, typeset layers.
#pragma once
#include <string>

#include "canvas.h"
#include "data_set.h"
#include "text_render.h"

namespace datagen {

bool SavePng(const FileSink& sink, const char* name, const Canvas& canvas, int channels = 4);
bool SaveJpeg(const FileSink& sink, const char* name, const Canvas& canvas);

// Text painted with an optional soft glow behind it; lines wider than the picture are set smaller.
struct Ink {
  Rgb colour{1, 1, 1};
  float opacity = 1;
  Rgb glow{0, 0, 0};
  float glowOpacity = 0;  // 0: no glow
  int glowRadius = 6;
};
void PaintText(Canvas& canvas, Typesetter& ts, const TextStyle& style, float x, float baseline,
               const std::string& text, const Ink& ink);

// A filled rectangle with rounded corners, anti-aliased.
void PaintPanel(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Rgb colour, float opacity);

bool MakeSkiesAndSprites(const FileSink& sink, Typesetter& ts);

}  // namespace datagen
