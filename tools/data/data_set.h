// data_set.h -- what the generators share: the file sink and the height fields behind models and maps.
#pragma once
#include <functional>
#include <string>

#include "procgen.h"

namespace datagen {

// Receives one finished file; returns false (after reporting) when it could not be written.
using FileSink = std::function<bool(const std::string& name, const std::string& bytes)>;

// Each family writes its files through the sink and returns false on the first failure.
bool MakeModels(const FileSink& sink);
bool MakeMaps(const FileSink& sink);                        // JPEG surface maps and pictures
bool MakeOverlays(const FileSink& sink, const std::string& fontDir);  // PNG sprites, skies and texts
bool MakeTracks(const FileSink& sink);
bool MakeMusic(const FileSink& sink, bool showMusic);  // loading.mp3, and music.mp3 when showMusic

// ---- [shared height fields] ----
// A sphere's model displacement and its colour and normal maps read the same function of the
// surface direction, so relief and painting line up.

constexpr float kPlanetSeaLevel = 0.5667f;  // waterplanet: 215 + 30 h reaches the water sphere (232) here
float PlanetHeight(V3 dir);   // planet01, waterplanet and their maps
float TreeHeight(V3 dir);     // treball canopy
float MeteorHeight(V3 dir);   // meteor, meteorcrack

// The leaf's outline, shared by leaf.png and leaf.3ds: half the blade's width (the picture's width
// is 2) at t from the stem (0) to the tip (1), and half the stem's, below t = 0.12.
float LeafHalfWidth(float t);
constexpr float kLeafStemHalfWidth = 0.03f;

}  // namespace datagen
