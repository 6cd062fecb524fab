// parallel_capture.cpp -- worker processes for the pieces, their progress and messages, and the joining of their files.
#include "parallel_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "frame_sink.h"
#include "piece_files.h"
#include "platform/diagnostics.h"
#include "section_pieces.h"
#include "stop_signals.h"
#include "show/demo_scene.h"
#include "y4m_writer.h"

namespace capture {

namespace {

namespace fs = std::filesystem;
using WallClock = std::chrono::steady_clock;

struct Worker {
  Piece piece;
  std::string out, audio;  // the piece's own files, in the scratch folder
  pid_t pid = -1;
  int errFd = -1;          // the read end of its standard error
  std::string pending;     // an unfinished line
  int64_t framesMade = 0;  // grid frames since 0:00, from its progress lines
  enum class State { kWaiting, kRunning, kDone, kJoined } state = State::kWaiting;
};

// Where the pieces' files go: beside the destination, so PNG frames move by renaming.
std::string ScratchParent(const Options& o) {
  if (o.output == Output::kPngDirectory) return o.out;
  if (o.output == Output::kY4m && o.out != "-") return fs::path(o.out).parent_path();
  const char* tmp = getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

std::string ExitText(int status) {
  if (WIFSIGNALED(status)) return "was ended by signal " + std::to_string(WTERMSIG(status));
  return "failed with exit code " + std::to_string(WEXITSTATUS(status));
}

class PieceRun {
 public:
  PieceRun(const Options& options, std::string worker);
  ~PieceRun();
  int Run();

 private:
  bool Prepare();
  bool Start(Worker& w);
  int Watch();
  int Read(Worker& w);
  void Line(Worker& w, const std::string& line);
  int Reap(Worker& w);
  bool JoinFinished();
  bool Finish();
  void StopAll();
  void ShowProgress();
  void ClearProgress();
  std::string Name(const Worker& w) const;

  Options options_;
  std::string worker_;
  FrameRange section_;
  std::vector<Worker> workers_;
  size_t nextStart_ = 0, nextJoin_ = 0;
  int running_ = 0;
  std::string scratch_;
  FILE* y4m_ = nullptr;  // the joined stream
  std::string destination_;
  std::set<std::string> said_;  // worker messages passed on, each once
  bool tty_ = false;
  WallClock::time_point start_, lastProgress_;
  StopSignals stopSignals_;  // a stop ends the run after the pieces' files are removed
};

PieceRun::PieceRun(const Options& options, std::string worker) : options_(options), worker_(std::move(worker)) {
  section_ = SectionFrames(options.from, options.to, options.fps);
  for (const Piece& piece : SplitAtScenes(section_, options.fps)) {
    workers_.emplace_back();
    workers_.back().piece = piece;
  }
  tty_ = isatty(2);
}

PieceRun::~PieceRun() {
  StopAll();
  if (y4m_ && y4m_ != stdout) fclose(y4m_);
  std::error_code ec;
  if (!scratch_.empty()) fs::remove_all(scratch_, ec);
}

int PieceRun::Run() {
  start_ = lastProgress_ = WallClock::now();
  if (!Prepare()) return 3;
  while (nextJoin_ < workers_.size()) {
    while (running_ < options_.jobs && nextStart_ < workers_.size())
      if (!Start(workers_[nextStart_++])) return 3;
    if (int code = Watch()) return code;
    if (!JoinFinished()) return 3;
    if (const int signal = StopSignals::Caught()) {
      ClearProgress();
      plat::Report("stopped by signal %d; the pieces' files are removed", signal);
      return 128 + signal;
    }
  }
  return Finish() ? 0 : 3;
}

// The destination opens first, as with one process, so a bad path fails before any work.
bool PieceRun::Prepare() {
  std::string error;
  if (options_.output == Output::kPngDirectory) {
    std::unique_ptr<FrameSink> sink = CreatePngDirectorySink(options_.out, &error);
    if (!sink) return plat::Report("%s", error.c_str()), false;
    destination_ = sink->Describe(section_.Count());
  } else if (options_.output == Output::kY4m) {
    y4m_ = options_.out == "-" ? stdout : fopen(options_.out.c_str(), "wb");
    destination_ = options_.out == "-" ? "standard output" : options_.out;
    const std::string header = Y4mStreamHeader(kFrameWidth, kFrameHeight, options_.fps);
    if (!y4m_ || fwrite(header.data(), 1, header.size(), y4m_) != header.size())
      return plat::Report("%s: cannot write: %s", destination_.c_str(), strerror(errno)), false;
  }
  std::string scratch = ScratchParent(options_) + "/.tolvane-capture-pieces-XXXXXX";
  if (!mkdtemp(scratch.data()))
    return plat::Report("%s: cannot make a folder for the pieces: %s", scratch.c_str(), strerror(errno)), false;
  scratch_ = scratch;
  for (size_t i = 0; i < workers_.size(); ++i) {
    const std::string base = scratch_ + "/piece-" + std::to_string(i + 1);
    if (options_.output == Output::kPngDirectory) workers_[i].out = base;
    if (options_.output == Output::kY4m) workers_[i].out = base + ".y4m";
    if (!options_.audio.empty()) workers_[i].audio = base + ".wav";
  }
  return true;
}

bool PieceRun::Start(Worker& w) {
  std::vector<std::string> args = PieceArguments(options_, w.piece, w.out, w.audio);
  args.insert(args.begin(), worker_);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return plat::Report("cannot start a worker: %s", strerror(errno)), false;
  w.pid = fork();
  if (w.pid == 0) {
    // The worker's standard output stays unused: a Y4M stream on ours must not be mixed with it.
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(fds[1], 2);
    execv(argv[0], argv.data());
    dprintf(2, "tolvane: %s: cannot run: %s\n", argv[0], strerror(errno));
    _exit(127);
  }
  close(fds[1]);
  if (w.pid < 0) {
    close(fds[0]);
    return plat::Report("cannot start a worker: %s", strerror(errno)), false;
  }
  w.errFd = fds[0];
  w.state = Worker::State::kRunning;
  ++running_;
  return true;
}

// Waits a moment for the workers to say something or end; returns a failed piece's exit code, else 0.
int PieceRun::Watch() {
  std::vector<pollfd> fds;
  std::vector<Worker*> owners;
  for (Worker& w : workers_) {
    if (w.state != Worker::State::kRunning) continue;
    fds.push_back({w.errFd, POLLIN, 0});
    owners.push_back(&w);
  }
  if (poll(fds.data(), fds.size(), 250) > 0) {
    for (size_t i = 0; i < fds.size(); ++i)
      if (fds[i].revents)
        if (int code = Read(*owners[i])) return code;
  }
  ShowProgress();
  return 0;
}

int PieceRun::Read(Worker& w) {
  char buffer[4096];
  const ssize_t n = read(w.errFd, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN ? 0 : Reap(w);
  if (n == 0) return Reap(w);
  w.pending.append(buffer, static_cast<size_t>(n));
  for (size_t end; (end = w.pending.find('\n')) != std::string::npos;) {
    Line(w, w.pending.substr(0, end));
    w.pending.erase(0, end + 1);
  }
  return 0;
}

void PieceRun::Line(Worker& w, const std::string& line) {
  if (line.rfind(kProgressLinePrefix, 0) == 0) {
    w.framesMade = atoll(line.c_str() + strlen(kProgressLinePrefix));
    return;
  }
  // Every worker loads the same show: its warnings are said once, as one process says them.
  if (!said_.insert(line).second) return;
  ClearProgress();
  const std::string own = "tolvane: ";
  plat::Report("%s", (line.rfind(own, 0) == 0 ? line.substr(own.size()) : line).c_str());
}

// The worker's error stream has closed: it has ended, or is about to.
int PieceRun::Reap(Worker& w) {
  if (!w.pending.empty()) Line(w, w.pending);
  close(w.errFd);
  w.errFd = -1;
  int status = 0;
  while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
  }
  w.pid = -1;
  --running_;
  w.state = Worker::State::kDone;
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (exited && w.framesMade == w.piece.frames.last + 1) return 0;
  ClearProgress();
  if (exited) {
    plat::Report("%s ended after frame %lld instead of %lld", Name(w).c_str(),
                 static_cast<long long>(w.framesMade - 1), static_cast<long long>(w.piece.frames.last));
    return 3;
  }
  plat::Report("%s %s; the capture stops", Name(w).c_str(), ExitText(status).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

// Pieces join the destination in order, each as soon as it and those before it are done.
bool PieceRun::JoinFinished() {
  std::string error;
  for (; nextJoin_ < workers_.size() && workers_[nextJoin_].state == Worker::State::kDone; ++nextJoin_) {
    Worker& w = workers_[nextJoin_];
    const int64_t index = w.piece.frames.first - section_.first;
    bool ok = true;
    if (options_.output == Output::kY4m) {
      ok = AppendY4mFrames(w.out, Y4mStreamHeader(kFrameWidth, kFrameHeight, options_.fps),
                           Y4mFrameBytes(kFrameWidth, kFrameHeight), w.piece.frames.Count(), y4m_, &error);
      std::error_code ec;  // what stays goes with the scratch folder
      if (ok) fs::remove(w.out, ec);
      if (ok) fflush(y4m_);
    } else if (options_.output == Output::kPngDirectory) {
      ok = MovePngFrames(w.out, w.piece.frames.Count(), options_.out, index, &error);
    }
    if (!ok) return plat::Report("%s", error.c_str()), false;
    w.state = Worker::State::kJoined;
  }
  return true;
}

bool PieceRun::Finish() {
  ClearProgress();
  std::string error;
  if (y4m_ && (fflush(y4m_) != 0 || ferror(y4m_)))
    return plat::Report("%s: cannot write: %s", destination_.c_str(), strerror(errno)), false;
  if (!options_.audio.empty()) {
    std::vector<std::string> pieces;
    for (const Worker& w : workers_) pieces.push_back(w.audio);
    if (!JoinWavs(pieces, options_.audio, &error)) return plat::Report("%s", error.c_str()), false;
  }
  const double seconds = std::chrono::duration<double>(WallClock::now() - start_).count();
  fputs(SummaryLine(options_, section_.first, section_.Count(), seconds, destination_).c_str(), stderr);
  return true;
}

// Nobody reads the workers' messages any more, so their pipes close first: a worker writing to a
// full one would otherwise never end, and the wait for it with it.
void PieceRun::StopAll() {
  for (Worker& w : workers_) {
    if (w.pid > 0) kill(w.pid, SIGTERM);
    if (w.errFd >= 0) close(w.errFd);
    w.errFd = -1;
  }
  for (Worker& w : workers_) {
    if (w.pid <= 0) continue;
    while (waitpid(w.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    w.pid = -1;
  }
  running_ = 0;
}

// One line for the whole section, then each piece: captured frames, the replay's share, or waiting.
void PieceRun::ShowProgress() {
  const WallClock::time_point now = WallClock::now();
  if (!tty_ || now - lastProgress_ < std::chrono::milliseconds(250)) return;
  lastProgress_ = now;
  int64_t done = 0;
  std::string pieces;
  for (const Worker& w : workers_) {
    const FrameRange& f = w.piece.frames;
    const int64_t captured = std::clamp<int64_t>(w.framesMade - f.first, 0, f.Count());
    done += captured;
    char part[96];
    if (w.state == Worker::State::kWaiting)
      snprintf(part, sizeof part, " %s -", MorlenGL::kTimeline[w.piece.scene].name);
    else if (w.framesMade < f.first)
      snprintf(part, sizeof part, " %s replay %d%%", MorlenGL::kTimeline[w.piece.scene].name,
               static_cast<int>(100 * w.framesMade / std::max<int64_t>(f.first, 1)));
    else
      snprintf(part, sizeof part, " %s %lld/%lld", MorlenGL::kTimeline[w.piece.scene].name,
               static_cast<long long>(captured), static_cast<long long>(f.Count()));
    pieces += part;
  }
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  fprintf(stderr, "\r\033[Kframe %lld of %lld in %.0f s |%s", static_cast<long long>(done),
          static_cast<long long>(section_.Count()), elapsed, pieces.c_str());
}

void PieceRun::ClearProgress() {
  if (tty_) fputs("\r\033[K", stderr);
}

std::string PieceRun::Name(const Worker& w) const {
  return "piece " + std::to_string(&w - workers_.data() + 1) + " of " + std::to_string(workers_.size()) + " (" +
         DescribePiece(w.piece, options_.fps) + ")";
}

}  // namespace

bool RunsInPieces(const Options& options) {
  return options.jobs > 1 && !options.singleFrame && !options.bench &&
         SplitAtScenes(SectionFrames(options.from, options.to, options.fps), options.fps).size() > 1;
}

int CaptureInPieces(const Options& options, const std::string& worker) {
  plat::SetVerbose(options.verbose);
  return PieceRun(options, worker).Run();
}

}  // namespace capture
