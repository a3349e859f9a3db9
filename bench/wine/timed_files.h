#pragma once
// A file system that times what it passes on: how long each kind of call
// takes on average, to show where an encryption's cost per file goes.
#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "platform/files.h"

class TimedFiles final : public platform::Files {
 public:
  enum Call { Open, Create, Read, Write, Flush, Rename, Delete, Attributes, Other, Count };
  explicit TimedFiles(platform::Files& inner) : inner_(inner) {}

  // What the calls took since the last reset.
  struct Split {
    std::array<double, Count> milliseconds{};
    std::array<long, Count> calls{};
    double averageMs(Call call) const { return calls[call] ? milliseconds[call] / calls[call] : 0; }
  };
  Split split() {
    const std::lock_guard lock(mutex_);
    return split_;
  }
  void reset() {
    const std::lock_guard lock(mutex_);
    split_ = {};
  }

 private:
  template <typename F>
  auto timed(Call call, F f) {
    const auto begin = std::chrono::steady_clock::now();
    auto result = f();
    const std::lock_guard lock(mutex_);  // a flush may run on a writer thread
    split_.milliseconds[call] += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    ++split_.calls[call];
    return result;
  }

 public:

  std::optional<std::uint32_t> attributes(std::string_view path) override {
    return timed(Attributes, [&] { return inner_.attributes(path); });
  }
  bool setNormalAttributes(std::string_view path) override { return inner_.setNormalAttributes(path); }
  bool deleteFile(std::string_view path) override { return timed(Delete, [&] { return inner_.deleteFile(path); }); }
  bool copyFile(std::string_view from, std::string_view to) override { return inner_.copyFile(from, to); }
  std::vector<platform::DirEntry> list(std::string_view folder) override { return inner_.list(folder); }
  std::string windowsFolder() override { return inner_.windowsFolder(); }
  std::string programDataFolder() override { return inner_.programDataFolder(); }
  std::string finalPath(std::string_view path) override { return inner_.finalPath(path); }
  std::unique_ptr<platform::OpenFile> openRead(std::string_view path) override {
    return wrap(timed(Open, [&] { return inner_.openRead(path); }));
  }
  std::unique_ptr<platform::OpenFile> createNew(std::string_view path) override {
    return wrap(timed(Create, [&] { return inner_.createNew(path); }));
  }
  std::unique_ptr<platform::OpenFile> openExclusive(std::string_view path) override {
    return inner_.openExclusive(path);
  }
  bool setAttributes(std::string_view path, std::uint32_t attributes) override {
    return inner_.setAttributes(path, attributes);
  }
  std::optional<platform::FileTime> lastWriteTime(std::string_view path) override {
    return timed(Other, [&] { return inner_.lastWriteTime(path); });
  }
  bool renameNoReplace(std::string_view from, std::string_view to) override {
    return timed(Rename, [&] { return inner_.renameNoReplace(from, to); });
  }
  std::optional<platform::FileIdentity> identity(std::string_view path) override { return inner_.identity(path); }
  platform::FileFailure lastFailure() const override { return inner_.lastFailure(); }
  std::string currentDirectory() override { return inner_.currentDirectory(); }


 private:
  class TimedOpenFile final : public platform::OpenFile {
   public:
    TimedOpenFile(TimedFiles& owner, std::unique_ptr<platform::OpenFile> inner) : owner_(owner), inner_(std::move(inner)) {}
    std::optional<std::size_t> read(std::span<std::uint8_t> buffer) override {
      return owner_.timed(Read, [&] { return inner_->read(buffer); });
    }
    bool write(std::span<const std::uint8_t> data) override {
      return owner_.timed(Write, [&] { return inner_->write(data); });
    }
    bool flush() override { return owner_.timed(Flush, [&] { return inner_->flush(); }); }
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    bool setLastWriteTime(platform::FileTime time) override { return inner_->setLastWriteTime(time); }
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
      return owner_.timed(Read, [&] { return inner_->readAt(offset, buffer); });
    }
    bool renameNoReplace(std::string_view to) override {
      return owner_.timed(Rename, [&] { return inner_->renameNoReplace(to); });
    }
    bool deleteOnClose() override { return owner_.timed(Delete, [&] { return inner_->deleteOnClose(); }); }
    std::optional<platform::FileIdentity> identity() override { return inner_->identity(); }
    bool isNamed(std::string_view path) override { return inner_->isNamed(path); }
    platform::FileFailure lastFailure() const override { return inner_->lastFailure(); }

   private:
    TimedFiles& owner_;
    std::unique_ptr<platform::OpenFile> inner_;
  };

  std::unique_ptr<platform::OpenFile> wrap(std::unique_ptr<platform::OpenFile> file) {
    if (!file) return nullptr;
    return std::make_unique<TimedOpenFile>(*this, std::move(file));
  }

  platform::Files& inner_;
  std::mutex mutex_;
  Split split_;
};
