// A render's frames written beside the drawing. Each frame handed over is encoded as a PNG file on
// one of a few worker threads and/or piped into ffmpeg; files appear and video frames are sent in
// frame order. A few frames wait at most: the drawing waits when the writing falls behind, so memory
// stays bounded. The first failure stops the writing and is kept for the caller to report.
//
//   FrameWriter writer(w, h, "out", video);
//   writer.add(frame, std::move(pixels));   // false once writing has failed
//   std::string error;
//   if (!writer.finish(error)) ...          // every frame written, or the first failure
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FrameWriter {
public:
    // `pngDir` empty: no PNG files; `video` null: no video. The pipe stays the caller's to close.
    FrameWriter(int width, int height, const std::string& pngDir, std::FILE* video);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Hands over frame `frame` (RGB rows from the top). Waits while the queue is full; false once
    // writing has failed.
    bool add(long frame, std::vector<unsigned char>&& rgb);
    // Waits until every frame handed over is written. False with the first failure in `error`.
    bool finish(std::string& error);

private:
    struct Job {
        long frame = 0, order = 0;
        std::vector<unsigned char> rgb;
    };
    int w, h;
    std::string dir;
    std::FILE* pipe;
    size_t capacity;
    std::vector<std::thread> workers;

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> waiting;
    long handedOver = 0;   // jobs numbered in the order they came
    long nextInOrder = 0;  // the job whose turn it is to be put in place
    bool closing = false;
    std::string failure;

    void work();
    // Encodes beside the other workers, then, on its turn, puts the result in place.
    void write(Job& job);
};
