#pragma once
// Playing a sound file: asynchronously or waiting until it ends.
#include <string>
#include <vector>

namespace muralto {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const std::string& path, bool wait) = 0;
    virtual void Stop() = 0;
};

// Used where no sound server is reachable: plays nothing, says so once.
class SilentSoundPlayer final : public SoundPlayer {
public:
    void Play(const std::string& path, bool wait) override;
    void Stop() override {}
};

class RecordingSoundPlayer final : public SoundPlayer {
public:
    void Play(const std::string& path, bool wait) override { played.push_back({path, wait}); }
    void Stop() override { ++stops; }
    struct Played {
        std::string path;
        bool wait;
    };
    std::vector<Played> played;
    int stops = 0;
};

} // namespace muralto
