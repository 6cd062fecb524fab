// piece_files.cpp -- Y4M frames appended, PNG frames renumbered, WAV sound joined.
#include "piece_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "frame_sink.h"
#include "wav_writer.h"

namespace capture {

namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}

// The sound of one piece: its format and its sample bytes.
struct WavPiece {
  int rate = 0, channels = 0;
  std::string data;
};

// Reads a file this tool wrote: the 44-byte header WavHeader makes, then the samples.
bool ReadWavPiece(const std::string& path, WavPiece* piece, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (!in.eof() && !in) return Fail(error, path + ": cannot read: " + strerror(errno));
  if (bytes.size() < 44) return Fail(error, path + ": not a WAV file of this tool");
  piece->channels = static_cast<int>(Le(bytes, 22, 2));
  piece->rate = static_cast<int>(Le(bytes, 24, 4));
  const size_t blockAlign = static_cast<size_t>(piece->channels) * 2;
  const size_t dataBytes = bytes.size() - 44;
  if (blockAlign == 0 || dataBytes % blockAlign ||
      bytes.compare(0, 44, WavHeader(piece->rate, piece->channels, dataBytes / blockAlign)) != 0)
    return Fail(error, path + ": not a WAV file of this tool");
  piece->data = bytes.substr(44);
  return true;
}

}  // namespace

bool AppendY4mFrames(const std::string& piecePath, const std::string& header, size_t frameBytes, int64_t frames,
                     OutputFile* out, std::string* error) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(piecePath, ec);
  if (ec) return Fail(error, piecePath + ": " + ec.message());
  if (size != header.size() + frameBytes * frames)
    return Fail(error, piecePath + ": holds " + std::to_string(size) + " bytes, not the header and " +
                           std::to_string(frames) + " frames");
  FILE* in = fopen(piecePath.c_str(), "rb");
  if (!in) return Fail(error, piecePath + ": cannot read: " + strerror(errno));
  std::string head(header.size(), '\0');
  bool ok = fread(head.data(), 1, head.size(), in) == head.size() && head == header;
  if (!ok) *error = piecePath + ": its stream header differs from the capture's";
  std::vector<char> buffer(1 << 20);
  for (size_t n; ok && (n = fread(buffer.data(), 1, buffer.size(), in)) > 0;) ok = out->Write(buffer.data(), n, error);
  fclose(in);
  return ok;
}

int64_t Y4mFramesIn(const std::string& piecePath, size_t headerBytes, size_t frameBytes) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(piecePath, ec);
  return ec || size < headerBytes ? 0 : static_cast<int64_t>((size - headerBytes) / frameBytes);
}

int64_t PngFramesIn(const std::string& pieceDir) {
  int64_t n = 0;
  std::error_code ec;
  while (fs::is_regular_file(pieceDir + "/" + FrameFileName(n), ec)) ++n;
  return n;
}

bool MovePngFrames(const std::string& pieceDir, int64_t frames, const std::string& dir, int64_t firstIndex,
                   std::string* error) {
  std::error_code ec;
  if (fs::exists(pieceDir + "/loading.png", ec)) fs::rename(pieceDir + "/loading.png", dir + "/loading.png", ec);
  for (int64_t i = 0; i < frames && !ec; ++i)
    fs::rename(pieceDir + "/" + FrameFileName(i), dir + "/" + FrameFileName(firstIndex + i), ec);
  if (ec) return Fail(error, pieceDir + ": cannot move its frames into " + dir + ": " + ec.message());
  return true;
}

bool JoinWavs(const std::vector<std::string>& pieces, OutputFile* out, std::string* error) {
  if (pieces.empty()) return Fail(error, out->Name() + ": no piece to join");
  WavPiece joined, piece;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (!ReadWavPiece(pieces[i], &piece, error)) return false;
    if (i > 0 && (piece.rate != joined.rate || piece.channels != joined.channels))
      return Fail(error, pieces[i] + ": its rate or channels differ from the first piece's");
    joined.rate = piece.rate;
    joined.channels = piece.channels;
    joined.data += piece.data;
  }
  const std::string header = WavHeader(joined.rate, joined.channels, joined.data.size() / (2 * joined.channels));
  if (out->Write(header.data(), header.size(), error) && out->Write(joined.data.data(), joined.data.size(), error) &&
      out->Close(error))
    return true;
  out->Discard();
  return false;
}

}  // namespace capture
