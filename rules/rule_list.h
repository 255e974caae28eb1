// The ordered list of rules: the rule file's line order, the dialog's row
// order and the order in which the renderer visits them.
#pragma once

#include <cstddef>
#include <vector>

#include "rules/template_rule.h"

namespace tavrik {

class RuleList {
 public:
  std::size_t count() const { return rules_.size(); }
  TemplateRule at(std::size_t index) const { return rules_.at(index); }
  void append(TemplateRule rule) { rules_.push_back(std::move(rule)); }
  void clear() { rules_.clear(); }
  void reserve(std::size_t count) { rules_.reserve(count); }

  // Read-only walk for the renderer and the rule file, without copies.
  const std::vector<TemplateRule>& rules() const { return rules_; }

 private:
  std::vector<TemplateRule> rules_;
};

}  // namespace tavrik
