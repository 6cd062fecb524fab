// bench_report.cpp -- grouping frames by scene and writing the bench figures.
#include "bench_report.h"

#include <cstdio>
#include <map>

namespace capture {

namespace {

std::string Printf(const char* fmt, double a, double b, double c, double d) {
  char buffer[128];
  snprintf(buffer, sizeof buffer, fmt, a, b, c, d);
  return buffer;
}

std::string SummaryColumns(const Summary& s) {
  return Printf(" %8.3f %8.3f %8.3f %8.3f", s.mean, s.median, s.p99, s.max);
}

bool HasGpu(const std::vector<FrameSample>& frames) { return !frames.empty() && frames[0].gpuMs >= 0; }

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonNumber(double v) {
  char buffer[32];
  snprintf(buffer, sizeof buffer, "%.4f", v);
  return buffer;
}

std::string JsonSummary(const Summary& s) {
  return "{\"mean\": " + JsonNumber(s.mean) + ", \"median\": " + JsonNumber(s.median) +
         ", \"p99\": " + JsonNumber(s.p99) + ", \"max\": " + JsonNumber(s.max) + "}";
}

std::string JsonFrame(const FrameSample& f) {
  std::string j = "{\"frame\": " + std::to_string(f.index) + ", \"time\": " + std::to_string(f.time) +
                  ", \"cpu_ms\": " + JsonNumber(f.cpuMs) +
                  ", \"gpu_ms\": " + (f.gpuMs >= 0 ? JsonNumber(f.gpuMs) : "null") +
                  ", \"music_frame\": " + std::to_string(f.musicFrame) + ", \"scenes\": [";
  for (size_t i = 0; i < f.scenes.size(); ++i)
    j += (i ? ", " : "") + std::string("{\"name\": ") + JsonString(f.scenes[i].name) +
         ", \"clock\": " + std::to_string(f.scenes[i].elapsed) +
         ", \"last\": " + std::to_string(f.scenes[i].lastElapsed) + "}";
  return j + "]}";
}

}  // namespace

std::vector<SceneSummary> SummarizeByScene(const std::vector<FrameSample>& frames) {
  std::vector<std::string> order;
  std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> groups;
  std::vector<double> allCpu, allGpu;
  for (const FrameSample& f : frames) {
    allCpu.push_back(f.cpuMs);
    if (f.gpuMs >= 0) allGpu.push_back(f.gpuMs);
    for (const SceneClock& s : f.scenes) {
      if (!groups.count(s.name)) order.push_back(s.name);
      groups[s.name].first.push_back(f.cpuMs);
      if (f.gpuMs >= 0) groups[s.name].second.push_back(f.gpuMs);
    }
  }
  std::vector<SceneSummary> out;
  for (const std::string& name : order)
    out.push_back({name, Summarize(groups[name].first), Summarize(groups[name].second)});
  out.push_back({"all", Summarize(allCpu), Summarize(allGpu)});
  return out;
}

std::string FormatTime(int32_t hundredths) {
  char buffer[32];
  snprintf(buffer, sizeof buffer, "%d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
  return buffer;
}

std::string FormatFrameHeading() { return " frame     time    cpu ms    gpu ms  scenes\n"; }

std::string FormatFrameLine(const FrameSample& f) {
  char buffer[96];
  snprintf(buffer, sizeof buffer, "%6lld %8s %9.3f", static_cast<long long>(f.index), FormatTime(f.time).c_str(),
           f.cpuMs);
  std::string line = buffer;
  if (f.gpuMs >= 0) {
    snprintf(buffer, sizeof buffer, " %9.3f", f.gpuMs);
    line += buffer;
  } else {
    line += "         -";
  }
  line += " ";
  for (const SceneClock& s : f.scenes) line += " " + s.name;
  return line + "\n";
}

// Mesa's no-op wrapper names itself in the renderer string.
bool IsNoOpDriver(const BenchInfo& info) { return info.renderer.rfind("NOOP", 0) == 0; }

std::string FormatBenchSummary(const BenchInfo& info, const std::vector<FrameSample>& frames) {
  std::string out = "bench: " + FormatTime(info.from) + " to " + FormatTime(info.to) + " at " +
                    std::to_string(info.fps) + " fps, " + std::to_string(frames.size()) + " frames\n";
  out += "renderer: " + info.renderer + " (" + info.vendor + "), OpenGL " + info.version + "\n";
  if (IsNoOpDriver(info))
    out += "note: a no-op driver (GALLIUM_NOOP) draws nothing: cpu ms is the engine and the driver's CPU side alone; "
           "gpu ms means nothing\n";
  out += "cpu: " + info.cpu + "\n";
  bool gpu = HasGpu(frames);
  out += "scene                 frames |  cpu ms: mean   median      p99      max";
  out += gpu ? " |  gpu ms: mean   median      p99      max\n" : " | gpu: no timer query\n";
  for (const SceneSummary& s : SummarizeByScene(frames)) {
    char head[64];
    snprintf(head, sizeof head, "%-20s %7zu |        ", s.name.c_str(), s.cpu.count);
    out += head + SummaryColumns(s.cpu).substr(1);
    if (gpu) out += " |        " + SummaryColumns(s.gpu).substr(1);
    out += "\n";
  }
  return out;
}

std::string FormatBenchJson(const BenchInfo& info, const std::vector<FrameSample>& frames) {
  std::string j = "{\n  \"machine\": {\"renderer\": " + JsonString(info.renderer) +
                  ", \"vendor\": " + JsonString(info.vendor) + ", \"version\": " + JsonString(info.version) +
                  ", \"cpu\": " + JsonString(info.cpu) + ", \"no_op_driver\": " +
                  (IsNoOpDriver(info) ? "true" : "false") + "},\n";
  j += "  \"fps\": " + std::to_string(info.fps) + ", \"from\": " + std::to_string(info.from) +
       ", \"to\": " + std::to_string(info.to) + ", \"gpu_timer\": " + (HasGpu(frames) ? "true" : "false") + ",\n";
  j += "  \"frames\": [\n";
  for (size_t i = 0; i < frames.size(); ++i)
    j += "    " + JsonFrame(frames[i]) + (i + 1 < frames.size() ? ",\n" : "\n");
  j += "  ],\n  \"scenes\": [\n";
  std::vector<SceneSummary> scenes = SummarizeByScene(frames);
  bool gpu = HasGpu(frames);
  for (size_t i = 0; i < scenes.size(); ++i)
    j += "    {\"name\": " + JsonString(scenes[i].name) + ", \"frames\": " + std::to_string(scenes[i].cpu.count) +
         ", \"cpu_ms\": " + JsonSummary(scenes[i].cpu) +
         ", \"gpu_ms\": " + (gpu ? JsonSummary(scenes[i].gpu) : "null") + "}" + (i + 1 < scenes.size() ? ",\n" : "\n");
  return j + "  ]\n}\n";
}

}  // namespace capture
