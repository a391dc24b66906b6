#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/Inouterror.h"
#include "link/Serialline.h"

/// A scripted serial line: bytes fed in are read back one at a time, an empty queue reads as a
/// silent line, writes are recorded, and the next open or write can be made to fail.
/// Tests keep a `Script` handle to it after handing the line to the link.
class FakeSerialLine final : public SerialLine {
public:
    struct Script {
        std::deque<std::uint8_t> input;
        /// Bytes already in the input before the next request goes out: a purge drops them.
        std::deque<std::uint8_t> waiting;
        std::vector<std::uint8_t> written;
        std::vector<std::string> opened;
        bool open = false;
        bool failNextOpen = false;
        long shortWriteBy = 0;  // the next write reports this many bytes fewer
        int purges = 0;
        int reads = 0;

        void Feed(const std::vector<std::uint8_t>& bytes) {
            input.insert(input.end(), bytes.begin(), bytes.end());
        }
    };

    FakeSerialLine() : script_(std::make_shared<Script>()) {}
    std::shared_ptr<Script> script() const { return script_; }

    void Open(const std::string& name, int) override {
        script_->opened.push_back(name);
        if (script_->failNextOpen) {
            script_->failNextOpen = false;
            throw EInOutError("Port " + name + " open error.");
        }
        script_->open = true;
        Purge();
    }
    void Close() noexcept override { script_->open = false; }
    bool IsOpen() const noexcept override { return script_->open; }
    void SetBaud(int) override {}
    void Purge() override {
        ++script_->purges;
        script_->waiting.clear();
    }
    bool ReadByte(std::uint8_t& value) override {
        ++script_->reads;
        auto& queue = script_->waiting.empty() ? script_->input : script_->waiting;
        if (queue.empty()) return false;
        value = queue.front();
        queue.pop_front();
        return true;
    }
    long Write(const std::uint8_t* data, std::size_t size) override {
        script_->written.insert(script_->written.end(), data, data + size);
        const long reported = static_cast<long>(size) - script_->shortWriteBy;
        script_->shortWriteBy = 0;
        return reported;
    }

private:
    std::shared_ptr<Script> script_;
};
