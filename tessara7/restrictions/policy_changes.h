#pragma once
// Tells running programs that policies changed (the system's broadcast): at
// once, or once at the end of the outermost batch, so that a command that
// writes many policy values broadcasts once.
#include "platform/desktop.h"

namespace tessara {

class PolicyChanges {
 public:
  explicit PolicyChanges(platform::Desktop& desktop) : desktop_(desktop) {}

  void changed();

  // Collects the changes of one command into a single broadcast.
  class Batch {
   public:
    explicit Batch(PolicyChanges& changes) : changes_(changes) { ++changes_.depth_; }
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    PolicyChanges& changes_;
  };

 private:
  platform::Desktop& desktop_;
  int depth_ = 0;
  bool pending_ = false;
};

}  // namespace tessara
