// json_writer.cpp -- escaping, number formatting and layout of the inspector's JSON.
#include "json_writer.h"

#include <cinttypes>
#include <cmath>

namespace inspect {

void JsonWriter::Indent() {
  fputc('\n', out_);
  for (size_t i = 0; i < empty_.size(); ++i) fputs("  ", out_);
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (empty_.empty()) return;
  if (!empty_.back()) fputc(',', out_);
  empty_.back() = false;
  Indent();
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  fputc(bracket, out_);
  empty_.push_back(true);
}

void JsonWriter::Close(char bracket) {
  bool wasEmpty = empty_.back();
  empty_.pop_back();
  if (!wasEmpty) Indent();
  fputc(bracket, out_);
}

void JsonWriter::Key(std::string_view key) {
  BeforeValue();
  WriteString(key);
  fputs(": ", out_);
  afterKey_ = true;
}

// Names come from files: control characters and bytes above 127 are escaped, so the
// output stays valid JSON whatever the file holds.
void JsonWriter::WriteString(std::string_view text) {
  fputc('"', out_);
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      fputc('\\', out_);
      fputc(c, out_);
    } else if (c < 0x20 || c >= 0x7F) {
      fprintf(out_, "\\u%04x", c);
    } else {
      fputc(c, out_);
    }
  }
  fputc('"', out_);
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  WriteString(text);
}

void JsonWriter::WriteNumber(double value) {
  if (value == 0) value = 0;  // no "-0" from negated file coordinates
  if (std::isfinite(value))
    fprintf(out_, "%.9g", value);
  else
    fputs("null", out_);
}

void JsonWriter::Number(double value) {
  BeforeValue();
  WriteNumber(value);
}

void JsonWriter::Int(int64_t value) {
  BeforeValue();
  fprintf(out_, "%" PRId64, value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  fputs(value ? "true" : "false", out_);
}

void JsonWriter::Null() {
  BeforeValue();
  fputs("null", out_);
}

// On one line: positions read better that way.
void JsonWriter::Triple(const double* v) {
  BeforeValue();
  fputc('[', out_);
  for (int k = 0; k < 3; ++k) {
    if (k) fputs(", ", out_);
    WriteNumber(v[k]);
  }
  fputc(']', out_);
}

void JsonWriter::Triple(const float* v) {
  double d[3] = {v[0], v[1], v[2]};
  Triple(d);
}

}  // namespace inspect
