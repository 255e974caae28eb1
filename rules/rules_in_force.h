// The rules a track change uses: one list, replaced whole when the rule list
// dialog's OK takes the table, and read as a snapshot by the plug-in's
// thread, so that a track being rendered keeps the rules it started with and
// never meets a half-built list.
#pragma once

#include <memory>
#include <mutex>

#include "rules/rule_list.h"

namespace tavrik {

class RulesInForce {
 public:
  // The rules as they are now; the copy stays valid while it is held, even
  // after a replace.
  std::shared_ptr<const RuleList> current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rules_;
  }

  void replace(RuleList rules) {
    auto replacement = std::make_shared<const RuleList>(std::move(rules));
    std::lock_guard<std::mutex> lock(mutex_);
    rules_ = std::move(replacement);
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const RuleList> rules_ = std::make_shared<const RuleList>();
};

}  // namespace tavrik
