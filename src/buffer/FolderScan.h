#pragma once
// Reads a folder tree on a thread of its own and hands its matching files over folder by
// folder, in the order of a recursive listing, so that registering them overlaps reading
// the disk.
#include "ExtReg.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace muralto {

class TFolderScan {
public:
    // Starts reading at once; without subFolders only the folder itself is read.
    TFolderScan(const TExtention& mask, std::string folder, bool subFolders);
    // Stops the reading and waits for the thread.
    ~TFolderScan();
    TFolderScan(const TFolderScan&) = delete;
    TFolderScan& operator=(const TFolderScan&) = delete;

    // The files of the next folder read (waiting for it); false once everything was handed
    // over. A failure of the reading (out of memory) is raised here, after what was read.
    bool Next(std::vector<std::string>& names);
    // Ends the reading early: Next gives what was read already, then false.
    void Stop();

private:
    void Run(bool subFolders);

    TExtention mask_;
    std::string folder_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::vector<std::string>> batches_;
    std::vector<std::vector<std::string>> spent_;
    bool done_ = false;
    std::exception_ptr failure_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace muralto
