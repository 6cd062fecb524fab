// json_writer.h -- a small indented JSON writer for the inspector's reports.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace inspect {

// Writes values in order; commas and indentation follow from the nesting.
class JsonWriter {
 public:
  explicit JsonWriter(FILE* out) : out_(out) {}
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(std::string_view key);
  void String(std::string_view text);
  void Number(double value);  // non-finite values become null (JSON has none)
  void Int(int64_t value);
  void Bool(bool value);
  void Null();
  void Triple(const double* v);
  void Triple(const float* v);
  void Finish() { fputc('\n', out_); }

 private:
  void Open(char bracket);
  void Close(char bracket);
  void BeforeValue();
  void Indent();
  void WriteString(std::string_view text);
  void WriteNumber(double value);

  FILE* out_;
  std::vector<bool> empty_;  // per open container: nothing written into it yet
  bool afterKey_ = false;
};

}  // namespace inspect
