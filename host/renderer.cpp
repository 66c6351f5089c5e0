#include "renderer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace krender {

namespace {

const int tile_size = 16;

struct Tiles {
    Region frame_part;
    int columns = 0;
    int count = 0;

    explicit Tiles(Region region)
        : frame_part(region), columns((region.width() + tile_size - 1) / tile_size),
          count(columns * ((region.height() + tile_size - 1) / tile_size)) {}

    Region tile(int index) const {
        Region tile;
        tile.x0 = frame_part.x0 + (index % columns) * tile_size;
        tile.y0 = frame_part.y0 + (index / columns) * tile_size;
        tile.x1 = std::min(tile.x0 + tile_size, frame_part.x1);
        tile.y1 = std::min(tile.y0 + tile_size, frame_part.y1);
        return tile;
    }
};

mi_color eye_sample(const RenderJob& job, int x, int y, int index, RayTally& tally) {
    const SquarePoint offset = sample_offset(x, y, index, job.samples_per_pixel);
    const Vec3 direction = job.camera->eye_direction(static_cast<float>(x) + offset.x,
                                                     static_cast<float>(y) + offset.y);
    const Vec3 eye = job.camera->eye();
    SampleRandom random(x, y, index, job.samples_per_pixel);
    HostState state{};
    state.record.camera = &job.camera->record();
    state.record.org = {eye.x, eye.y, eye.z};
    state.record.dir = {direction.x, direction.y, direction.z};
    state.camera = job.camera;
    state.view = job.view;
    state.random = &random;
    state.tally = &tally;

    mi_color colour{0.0f, 0.0f, 0.0f, 0.0f};
    const mi_boolean traced = job.lens.shader != nullptr
                                  ? job.lens.shader(&colour, &state.record, &job.lens.params)
                                  : trace_eye(state, state.record.org, state.record.dir, colour);
    ++tally.eye_samples;
    if (traced == 0) {
        ++tally.blacked_out;
        colour = {0.0f, 0.0f, 0.0f, 0.0f};
    }
    return colour;
}

mi_color render_pixel(const RenderJob& job, int x, int y, RayTally& tally) {
    mi_color sum{0.0f, 0.0f, 0.0f, 0.0f};
    for (int index = 0; index < job.samples_per_pixel; ++index) {
        const mi_color sample = eye_sample(job, x, y, index, tally);
        sum = {sum.r + sample.r, sum.g + sample.g, sum.b + sample.b, sum.a + sample.a};
    }
    const float weight = 1.0f / static_cast<float>(job.samples_per_pixel);
    return {sum.r * weight, sum.g * weight, sum.b * weight, sum.a * weight};
}

void render_tile(const RenderJob& job, Region tile, Image& image, RayTally& tally) {
    for (int y = tile.y0; y < tile.y1; ++y) {
        for (int x = tile.x0; x < tile.x1; ++x) {
            image.at(x, y) = render_pixel(job, x, y, tally);
        }
    }
}

// Shared between the workers and the thread that reports progress.
struct WorkQueue {
    std::atomic<int> next_tile{0};
    std::atomic<std::size_t> done_pixels{0};
    std::mutex mutex;
    std::condition_variable changed;
    int running_workers = 0;
};

// Counts rays in a tally on its own stack: the workers' tallies lie side by
// side in one array, and counting there would bounce that cache line between
// cores on every ray.
void work(const RenderJob& job, const Tiles& tiles, Image& image, WorkQueue& queue,
          RayTally& tally) {
    RayTally counted;
    for (int index = queue.next_tile++; index < tiles.count; index = queue.next_tile++) {
        const Region tile = tiles.tile(index);
        render_tile(job, tile, image, counted);
        queue.done_pixels += tile.pixel_count();
    }
    tally = counted;
    const std::lock_guard<std::mutex> lock(queue.mutex);
    --queue.running_workers;
    queue.changed.notify_all();
}

void watch(WorkQueue& queue, Progress& progress) {
    std::unique_lock<std::mutex> lock(queue.mutex);
    while (queue.running_workers > 0) {
        queue.changed.wait_for(lock, std::chrono::milliseconds(100));
        progress.update(queue.done_pixels);
    }
}

// When not every worker could be started: the started ones take no new tile.
void stop_early(WorkQueue& queue, const Tiles& tiles, int never_started) {
    queue.next_tile = tiles.count;
    const std::lock_guard<std::mutex> lock(queue.mutex);
    queue.running_workers -= never_started;
}

void join_all(std::vector<std::thread>& workers) {
    for (std::thread& worker : workers) {
        worker.join();
    }
}

} // namespace

RenderStats render(const RenderJob& job, Image& image, Progress& progress) {
    const Tiles tiles(image.region());
    const int thread_count = std::max(1, job.threads);
    std::vector<RayTally> tallies(static_cast<std::size_t>(thread_count));
    WorkQueue queue;
    queue.running_workers = thread_count;
    std::vector<std::thread> workers;
    try {
        for (RayTally& tally : tallies) {
            workers.emplace_back(work, std::cref(job), std::cref(tiles), std::ref(image),
                                 std::ref(queue), std::ref(tally));
        }
    } catch (...) {
        stop_early(queue, tiles, thread_count - static_cast<int>(workers.size()));
        join_all(workers);
        throw;
    }
    watch(queue, progress);
    join_all(workers);
    progress.finish();

    RenderStats stats;
    stats.seconds = progress.elapsed_seconds();
    for (const RayTally& tally : tallies) {
        stats.tally.rays_cast += tally.rays_cast;
        stats.tally.eye_samples += tally.eye_samples;
        stats.tally.blacked_out += tally.blacked_out;
    }
    return stats;
}

} // namespace krender
