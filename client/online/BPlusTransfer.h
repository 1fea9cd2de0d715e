#pragma once
// The client's side of a B Plus transfer. A transfer step starts it with the
// local folder as its parameter text; the worker then answers the host's
// ENQ, agrees the transport parameters, and downloads or uploads the file the
// host's T packet names. Progress goes to a BPlusReportSink; whatever the
// result, transfer mode is ended on the line when the worker finishes.

#include "client/online/BPlusLine.h"
#include "client/online/BPlusProtocol.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace kiro::online {

struct BPlusTransferOptions {
    // 8 when the road type is 4 or less, else 10; sets the offered block
    // size and the report interval.
    int speedCode = 8;
    bplus::Timeouts timeouts{};
};

struct BPlusOutcome {
    bool started = false;  // a T packet arrived
    bool success = false;
    bool download = false;
    std::string fileName;  // UTF-8, as the host named it (last component)
    std::string message;   // the last status text
    std::int64_t bytesInFile = 0;
    std::int64_t dataBytes = 0;
    std::int64_t elapsedMs = 0;
    bplus::Counters counters{};
};

class BPlusTransfer {
public:
    BPlusTransfer(BPlusLine& line, BPlusReportSink* sink, BPlusTransferOptions options = {});
    ~BPlusTransfer();
    BPlusTransfer(const BPlusTransfer&) = delete;
    BPlusTransfer& operator=(const BPlusTransfer&) = delete;

    // Starts the worker thread for one transfer into or out of the folder
    // named by parameterText; returns at once.
    void Start(const std::string& parameterText);
    // Waits for the worker started by Start.
    void join();
    // The whole transfer on the calling thread.
    BPlusOutcome run(const std::string& parameterText);
    const BPlusOutcome& outcome() const { return m_outcome; }

private:
    enum class Next { Continue, Finished };

    Next handlePacket(const bplus::Packet& packet);
    Next agreeParameters(const bplus::Packet& packet);
    void transfer(const bplus::Packet& packet);
    void download(const std::filesystem::path& path);
    void upload(const std::filesystem::path& path);
    void uploadFailed(bplus::Protocol::SendStatus s);
    void setAside(const std::filesystem::path& path);
    bool readDownloadPacket(bplus::Packet& packet);
    void sendIdentification();
    void fail(const std::string& status, const std::string& failure);
    void status(const std::string& text);
    void reportText(BPlusReportCode code, const std::string& text);
    void reportProgress(std::int64_t remaining);

    BPlusLine& m_line;
    BPlusReportSink* m_sink;
    BPlusTransferOptions m_options;
    bplus::Protocol m_protocol;
    std::filesystem::path m_folder;
    BPlusOutcome m_outcome;
    std::chrono::milliseconds m_startTime{0};
    std::int64_t m_fileSize = -1;
    std::thread m_worker;
};

// Keeps only the last path component of a name from the host (code page
// 932) and refuses names that would not stay inside the local folder.
std::optional<std::string> safeLocalName(const std::string& cp932Name);
// "<folder>/" from a transfer step's parameter text (which may end in a
// backslash, as the job scripts write it).
std::filesystem::path transferFolder(const std::string& parameterText);

} // namespace kiro::online
