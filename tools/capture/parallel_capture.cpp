// parallel_capture.cpp -- worker processes for the pieces, their progress and messages, and the joining of their files.
#include "parallel_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
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
#include "platform/stop_signals.h"
#include "section_pieces.h"
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
  int status = 0;          // from waitpid, once done
  enum class State { kWaiting, kRunning, kDone, kJoined } state = State::kWaiting;
};

constexpr const char* kScratchPrefix = ".tolvane-capture-pieces-";

// Where the pieces' files go: beside the destination, so PNG frames move by renaming.
std::string ScratchParent(const Options& o) {
  if (o.output == Output::kPngDirectory) return o.out;
  if (o.output == Output::kY4m && o.out != "-") return fs::path(o.out).parent_path();
  const char* tmp = getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

// Whether an exit code is that of a capture a stop signal ended in order, its files whole.
bool IsStopCode(int code) { return code == 128 + SIGINT || code == 128 + SIGTERM; }
bool StoppedInOrder(int status) { return WIFEXITED(status) && IsStopCode(WEXITSTATUS(status)); }

// Removes the pieces' folders that runs killed outright left behind: the run's process id is in
// the name, and a folder whose run is gone belongs to nobody.
void RemoveStaleScratch(const std::string& parent) {
  std::error_code ec, removing;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kScratchPrefix, 0) != 0) continue;
    const pid_t owner = static_cast<pid_t>(atol(name.c_str() + strlen(kScratchPrefix)));
    if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) fs::remove_all(it->path(), removing);
  }
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
  bool AppendY4m(const std::string& piece, int64_t frames, std::string* error);
  bool JoinStopped(Worker& w);
  int Stop(int signal);
  bool Finish(int64_t frames);
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
  OutputFile y4m_, audio_;  // the joined stream and sound, opened before any worker starts
  uint64_t y4mWhole_ = 0;   // bytes of the stream's header and whole frames
  std::unique_ptr<FrameSink> pngDirectory_;  // names the joined frames; the pieces write them
  std::vector<std::string> joinedAudio_;  // the pieces' WAV files joined so far
  int64_t joinedFrames_ = 0;
  std::set<std::string> said_;  // worker messages passed on, each once
  bool tty_ = false;
  WallClock::time_point start_, lastProgress_;
  plat::StopSignals stopSignals_;  // a stop ends the run after the pieces' files are removed
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
  // As with one process, a run that fails keeps the whole frames joined so far.
  std::string ignored;
  y4m_.Close(&ignored);
  std::error_code ec;
  if (!scratch_.empty()) fs::remove_all(scratch_, ec);
}

int PieceRun::Run() {
  start_ = lastProgress_ = WallClock::now();
  if (!Prepare()) return 3;
  while (nextJoin_ < workers_.size()) {
    while (running_ < options_.jobs && nextStart_ < workers_.size() && !plat::StopSignals::Caught())
      if (!Start(workers_[nextStart_++])) return 3;
    int code = Watch();
    if (code == 0 && !JoinFinished()) code = 3;
    if (const int signal = plat::StopSignals::Caught()) return Stop(signal);
    if (IsStopCode(code)) return Stop(code - 128);
    if (code) return code;
  }
  return Finish(section_.Count()) ? 0 : 3;
}

// A stop keeps what one process keeps: the frames from the start of the section up to the
// first piece that is not whole, and their sound. Each running piece is asked to stop after
// its frame (workers have their own process group, so this is the only request they get).
int PieceRun::Stop(int signal) {
  ClearProgress();
  for (Worker& w : workers_)
    if (w.state == Worker::State::kRunning) kill(w.pid, signal);
  while (running_ > 0) Watch();
  if (JoinFinished() && nextJoin_ < workers_.size() && StoppedInOrder(workers_[nextJoin_].status))
    JoinStopped(workers_[nextJoin_]);
  plat::Report("%s%d after %lld frames of the section", kStopLinePrefix, signal,
               static_cast<long long>(joinedFrames_));
  Finish(joinedFrames_);
  return 128 + signal;
}

// The destinations open first, as with one process, so a bad path fails before any work.
bool PieceRun::Prepare() {
  std::string error;
  if (!options_.audio.empty() && !audio_.Open(options_.audio, &error)) return plat::Report("%s", error.c_str()), false;
  if (options_.output == Output::kPngDirectory) {
    pngDirectory_ = CreatePngDirectorySink(options_.out, &error);
    if (!pngDirectory_) return plat::Report("%s", error.c_str()), false;
  } else if (options_.output == Output::kY4m) {
    const std::string header = Y4mStreamHeader(kFrameWidth, kFrameHeight, options_.fps);
    if (!y4m_.Open(options_.out, &error) || !y4m_.Write(header.data(), header.size(), &error))
      return plat::Report("%s", error.c_str()), false;
    y4mWhole_ = header.size();
  }
  RemoveStaleScratch(ScratchParent(options_));
  std::string scratch = ScratchParent(options_) + "/" + kScratchPrefix + std::to_string(getpid()) + "-XXXXXX";
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
  const pid_t parent = getpid();
  w.pid = fork();
  if (w.pid == 0) {
    // Stop signals from the terminal reach the run alone, which passes each on once; a run
    // killed outright takes its workers with it.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // The worker's standard output stays unused: a Y4M stream on ours must not be mixed with it.
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(fds[1], 2);
    execv(argv[0], argv.data());
    dprintf(2, "%s: %s: cannot run: %s\n", plat::ProgramName(), argv[0], strerror(errno));
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
  // A piece's stop is told by the run, for the frames joined.
  if (!said_.insert(line).second || line.find(kStopLinePrefix) != std::string::npos) return;
  ClearProgress();
  const std::string own = std::string(plat::ProgramName()) + ": ";
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
  w.status = status;
  --running_;
  w.state = Worker::State::kDone;
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (exited && w.framesMade == w.piece.frames.last + 1) return 0;
  // A piece stopped by a signal is the run's stop, told by the run.
  if (StoppedInOrder(status) || plat::StopSignals::Caught()) return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
  ClearProgress();
  if (exited) {
    plat::Report("%s ended after frame %lld instead of %lld", Name(w).c_str(),
                 static_cast<long long>(w.framesMade - 1), static_cast<long long>(w.piece.frames.last));
    return 3;
  }
  plat::Report("%s %s; the capture stops", Name(w).c_str(), ExitText(status).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

// Pieces join the destination in order, each as soon as it and those before it are done whole.
bool PieceRun::JoinFinished() {
  std::string error;
  for (; nextJoin_ < workers_.size() && workers_[nextJoin_].state == Worker::State::kDone; ++nextJoin_) {
    Worker& w = workers_[nextJoin_];
    if (!WIFEXITED(w.status) || WEXITSTATUS(w.status) != 0) return true;  // a stopped piece
    const int64_t index = w.piece.frames.first - section_.first, count = w.piece.frames.Count();
    bool ok = true;
    if (options_.output == Output::kY4m) {
      ok = AppendY4m(w.out, count, &error);
      std::error_code ec;  // what stays goes with the scratch folder
      if (ok) fs::remove(w.out, ec);
    } else if (options_.output == Output::kPngDirectory) {
      ok = MovePngFrames(w.out, count, options_.out, index, &error);
    }
    if (!ok) return plat::Report("%s", error.c_str()), false;
    joinedFrames_ += count;
    joinedAudio_.push_back(w.audio);
    w.state = Worker::State::kJoined;
  }
  return true;
}

// A piece's frames follow the stream's; one that cannot be copied whole is cut off again.
bool PieceRun::AppendY4m(const std::string& piece, int64_t frames, std::string* error) {
  const size_t frameBytes = Y4mFrameBytes(kFrameWidth, kFrameHeight);
  if (!AppendY4mFrames(piece, Y4mStreamHeader(kFrameWidth, kFrameHeight, options_.fps), frameBytes, frames, &y4m_,
                       error)) {
    y4m_.CutTo(y4mWhole_);
    return false;
  }
  y4mWhole_ += frames * frameBytes;
  return true;
}

// The piece a stop cut short: its whole frames follow the pieces before it, then the join ends.
bool PieceRun::JoinStopped(Worker& w) {
  std::string error;
  bool ok = true;
  int64_t count = 0;
  if (options_.output == Output::kY4m) {
    count = Y4mFramesIn(w.out, Y4mStreamHeader(kFrameWidth, kFrameHeight, options_.fps).size(),
                        Y4mFrameBytes(kFrameWidth, kFrameHeight));
    ok = AppendY4m(w.out, count, &error);
  } else if (options_.output == Output::kPngDirectory) {
    count = PngFramesIn(w.out);
    ok = MovePngFrames(w.out, count, options_.out, w.piece.frames.first - section_.first, &error);
  }
  if (!ok) return plat::Report("%s", error.c_str()), false;
  joinedFrames_ += count;
  joinedAudio_.push_back(w.audio);
  return true;
}

bool PieceRun::Finish(int64_t frames) {
  ClearProgress();
  std::string error;
  if (y4m_.IsOpen() && !y4m_.Close(&error)) return plat::Report("%s", error.c_str()), false;
  if (!options_.audio.empty() && !JoinWavs(joinedAudio_, &audio_, &error))
    return plat::Report("%s", error.c_str()), false;
  const std::string destination = pngDirectory_ ? pngDirectory_->Describe(frames) : y4m_.Name();
  const double seconds = std::chrono::duration<double>(WallClock::now() - start_).count();
  fputs(SummaryLine(options_, section_.first, frames, seconds, destination).c_str(), stderr);
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

int CaptureInPieces(const Options& options, const std::string& worker) {
  plat::SetVerbose(options.verbose);
  return PieceRun(options, worker).Run();
}

}  // namespace capture
