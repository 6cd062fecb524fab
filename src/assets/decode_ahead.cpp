// decode_ahead.cpp -- a queue of picture files, worker threads that decode them, and the loaders' look-up.
#include "assets/decode_ahead.h"


#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/data_path.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

bool NamesPng(const std::string& path) { return path.find(".png") != std::string::npos; }

namespace {

// Far above the show's pictures (about a hundred megabytes decoded); a folder of huge
// pictures must not fill the memory while loading. It holds for pictures the loaders decode
// themselves too.
constexpr size_t kHeldBytes = size_t{512} << 20;

// One file and how it is decoded. Whoever set kDecoding fills the rest and sets kDone.
struct Entry {
  enum State { kQueued, kDecoding, kDone };
  DecodeRequest request;
  State state = kQueued;
  std::shared_ptr<const Image> image;  // none when the decoder failed
  std::vector<std::string> lines;      // diagnostics, printed by each caller that takes it
};

struct DecodeAhead {
  std::mutex mutex;  // over everything below
  std::condition_variable done;
  std::vector<std::unique_ptr<Entry>> entries;  // queued in name order, then what callers added
  std::vector<std::thread> workers;
  int working = 0;  // workers still looking for files
  bool active = false;
  bool stopping = false;
  size_t heldBytes = 0;
};

// Lives until exit, so a worker never outlives it; the destructor stops them in order.
struct DecodeAheadOwner {
  DecodeAhead state;
  ~DecodeAheadOwner() { EndDecodeAhead(); }
};

DecodeAhead& Ahead() {
  static DecodeAheadOwner owner;
  return owner.state;
}

bool SameRequest(const DecodeRequest& a, const DecodeRequest& b) {
  return a.path == b.path && a.png == b.png && (a.png || a.maxSize == b.maxSize);
}

// The decode itself, with the lines it prints kept in the entry.
void Decode(Entry& entry) {
  plat::CaptureThreadDiagnostics(&entry.lines);
  const DecodeRequest& r = entry.request;
  auto image = std::make_shared<Image>();
  if (r.png ? DecodePng(r.path, image.get()) : LoadPictureTexels(r.path, r.maxSize, image.get()))
    entry.image = std::move(image);
  plat::CaptureThreadDiagnostics(nullptr);
}

// Under the lock, once the entry is decoded. Everything decoded is kept until End: what the
// show loads it uploads too, so the textures themselves take as much again.
void Finish(DecodeAhead& ahead, Entry& entry) {
  if (entry.image) ahead.heldBytes += entry.image->pixels.size();
  entry.state = Entry::kDone;
  ahead.done.notify_all();
}

// Under the lock: a worker's next file, none once the workers hold enough or must stop.
Entry* NextQueued(DecodeAhead& ahead) {
  if (ahead.stopping || ahead.heldBytes >= kHeldBytes) return nullptr;
  for (auto& e : ahead.entries)
    if (e->state == Entry::kQueued) return e.get();
  return nullptr;
}

void Work(DecodeAhead& ahead) {
  std::unique_lock<std::mutex> lock(ahead.mutex);
  while (Entry* entry = NextQueued(ahead)) {
    entry->state = Entry::kDecoding;
    lock.unlock();
    Decode(*entry);
    lock.lock();
    Finish(ahead, *entry);
  }
  --ahead.working;
  ahead.done.notify_all();
}

// The request as the texture loaders would make it for a file of the folder; false for files they do not decode.
bool RequestFor(const std::string& folder, const std::string& name, int maxSize, DecodeRequest* request) {
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  request->path = folder + "/" + name;
  request->maxSize = maxSize;
  request->png = NamesPng(name);
  return request->png || plat::SameNameIgnoringCase(extension, ".jpg") || plat::SameNameIgnoringCase(extension, ".jpeg");
}

void PassOn(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) plat::Report("%s", line.c_str());
}

// Under the lock: the entry for the request, added at the end of the queue when new.
Entry& FindOrAdd(DecodeAhead& ahead, const DecodeRequest& request) {
  for (auto& e : ahead.entries)
    if (SameRequest(e->request, request)) return *e;
  ahead.entries.push_back(std::make_unique<Entry>());
  ahead.entries.back()->request = request;
  return *ahead.entries.back();
}

}  // namespace

void BeginDecodeAhead(const std::string& folder, int maxSize) {
  EndDecodeAhead();
  DecodeAhead& ahead = Ahead();
  std::lock_guard<std::mutex> lock(ahead.mutex);
  for (const std::string& name : plat::ListFiles(folder)) {
    auto entry = std::make_unique<Entry>();
    if (RequestFor(folder, name, maxSize, &entry->request)) ahead.entries.push_back(std::move(entry));
  }
  ahead.active = true;
  ahead.stopping = false;
  const unsigned processors = std::max(2u, std::thread::hardware_concurrency());
  for (unsigned i = 0; i + 1 < processors && i < ahead.entries.size(); ++i) {
    ++ahead.working;
    ahead.workers.emplace_back(Work, std::ref(ahead));
  }
}

void WaitForDecodeAhead() {
  DecodeAhead& ahead = Ahead();
  std::unique_lock<std::mutex> lock(ahead.mutex);
  ahead.done.wait(lock, [&ahead] { return ahead.working == 0; });
}

void EndDecodeAhead() {
  DecodeAhead& ahead = Ahead();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(ahead.mutex);
    ahead.stopping = true;
    workers.swap(ahead.workers);
  }
  for (std::thread& worker : workers) worker.join();
  std::lock_guard<std::mutex> lock(ahead.mutex);
  ahead.entries.clear();
  ahead.heldBytes = 0;
  ahead.active = false;
}

std::shared_ptr<const Image> DecodeForTexture(const DecodeRequest& request) {
  DecodeAhead& ahead = Ahead();
  std::unique_lock<std::mutex> lock(ahead.mutex);
  if (!ahead.active) {
    lock.unlock();
    Entry alone;
    alone.request = request;
    Decode(alone);
    PassOn(alone.lines);
    return alone.image;
  }
  Entry& entry = FindOrAdd(ahead, request);
  ahead.done.wait(lock, [&entry] { return entry.state != Entry::kDecoding; });
  if (entry.state == Entry::kQueued) {
    // No worker has begun it: decoding it here beats waiting for one.
    entry.state = Entry::kDecoding;
    lock.unlock();
    Decode(entry);
    lock.lock();
    Finish(ahead, entry);
  }
  const std::vector<std::string> lines = entry.lines;
  std::shared_ptr<const Image> image = entry.image;
  // Past the budget, whoever decoded it, the caller's picture is the only one: it goes once
  // uploaded, and a second load decodes the file again.
  if (image && ahead.heldBytes > kHeldBytes) {
    ahead.heldBytes -= image->pixels.size();
    entry.image.reset();
    entry.lines.clear();
    entry.state = Entry::kQueued;
  }
  lock.unlock();
  PassOn(lines);
  return image;
}

}  // namespace MorlenGL
