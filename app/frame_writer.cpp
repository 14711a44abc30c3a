#include "app/frame_writer.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "app/png_writer.h"

FrameWriter::FrameWriter(int width, int height, const std::string& pngDir, std::FILE* video)
    : w(width), h(height), dir(pngDir), pipe(video) {
    // PNG encoding is the work: one encoder per core. A video alone only needs its frames sent in order.
    unsigned cores = std::thread::hardware_concurrency();
    size_t count = dir.empty() ? 1 : cores < 1 ? 1 : cores > 8 ? 8 : cores;
    capacity = count + 1;
    for (size_t i = 0; i < count; ++i) workers.emplace_back(&FrameWriter::work, this);
}

FrameWriter::~FrameWriter() {
    std::string ignored;
    finish(ignored);
}

bool FrameWriter::add(long frame, std::vector<unsigned char>&& rgb) {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [&] { return waiting.size() < capacity || !failure.empty(); });
    if (!failure.empty() || closing) return false;
    Job job;
    job.frame = frame;
    job.order = handedOver++;
    job.rgb = std::move(rgb);
    waiting.push_back(std::move(job));
    changed.notify_all();
    return true;
}

bool FrameWriter::finish(std::string& error) {
    {
        std::lock_guard<std::mutex> hold(lock);
        closing = true;
    }
    changed.notify_all();
    for (std::thread& t : workers) t.join();
    workers.clear();
    std::lock_guard<std::mutex> hold(lock);
    error = failure;
    return failure.empty();
}

void FrameWriter::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return !waiting.empty() || closing; });
            if (waiting.empty()) return;
            job = std::move(waiting.front());
            waiting.pop_front();
        }
        changed.notify_all();  // room in the queue
        write(job);
    }
}

void FrameWriter::write(Job& job) {
    char name[40];
    std::snprintf(name, sizeof name, "/frame_%06ld.png", job.frame);
    const std::string path = dir + name, partial = path + ".part";
    bool failedBefore;
    {
        std::lock_guard<std::mutex> hold(lock);
        failedBefore = !failure.empty();
    }
    // The file is written under a temporary name and renamed on its turn: a render stopped part way
    // leaves whole frames, and only the first ones of its range.
    std::string problem, why;
    if (!failedBefore && !dir.empty() && !writePng(partial, w, h, job.rgb.data(), &why))
        problem = "cannot write " + path + ": " + why;

    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [&] { return nextInOrder == job.order; });
    bool go = failure.empty() && problem.empty();
    hold.unlock();
    // Only the job whose turn it is gets here, so the frames are put in place one at a time.
    if (go && !dir.empty() && std::rename(partial.c_str(), path.c_str()) != 0)
        problem = "cannot write " + path + ": " + std::generic_category().message(errno);
    if (go && pipe && std::fwrite(job.rgb.data(), 1, job.rgb.size(), pipe) != job.rgb.size())
        problem = "ffmpeg stopped taking frames";
    if (!dir.empty() && (!go || !problem.empty())) std::remove(partial.c_str());
    hold.lock();
    if (failure.empty() && !problem.empty()) failure = problem;
    nextInOrder += 1;
    changed.notify_all();
}
