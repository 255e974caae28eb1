#include "host_script.h"

namespace standin {

namespace {

// Decimal digits only, at most a day's worth of milliseconds and the like.
bool parseNumber(const std::string& text, unsigned long& value) {
  if (text.empty() || text.size() > 9) return false;
  unsigned long result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<unsigned long>(c - '0');
  }
  value = result;
  return true;
}

Step makeStep(StepKind kind, unsigned long number, const std::string& text) {
  Step step;
  step.kind = kind;
  step.number = number;
  step.text = text;
  return step;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexDigit(text[i + 1]), low = hexDigit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool parseStep(const std::string& text, Step& step) {
  auto colon = text.find(':');
  std::string word = text.substr(0, colon);
  bool hasArgument = colon != std::string::npos;
  std::string argument = hasArgument ? text.substr(colon + 1) : std::string();
  unsigned long number = 0;

  struct Plain {
    const char* word;
    StepKind kind;
  };
  static const Plain plain[] = {{"pause", StepKind::Pause},   {"stop", StepKind::Stop},
                                {"refresh", StepKind::Refresh}, {"repeat", StepKind::Repeat},
                                {"init", StepKind::InitAgain}, {"exit", StepKind::Exit}};
  for (const auto& p : plain) {
    if (word == p.word) {
      if (hasArgument) return false;
      step = makeStep(p.kind, 0, text);
      return true;
    }
  }
  if (word == "play") {
    if (!hasArgument) {
      step = makeStep(StepKind::PlayAll, 0, text);
      return true;
    }
    if (!parseNumber(argument, number)) return false;
    step = makeStep(StepKind::PlayIndex, number, text);
    return true;
  }
  if (word == "song") {
    // Any title, empty included; its non-ASCII bytes come %-encoded, as
    // UTF-8, since the command line passes through the ANSI code page.
    std::optional<std::string> title = hasArgument ? percentDecoded(argument) : std::nullopt;
    if (!title) return false;
    step = makeStep(StepKind::Song, 0, text);
    step.name = *title;
    return true;
  }
  if (word == "config") {
    if (hasArgument && argument.empty()) return false;
    step = makeStep(StepKind::Config, 0, text);
    step.name = argument;
    return true;
  }
  static const Plain counted[] = {{"wait", StepKind::Wait},
                                  {"bench", StepKind::Bench},
                                  {"bench-tracks", StepKind::BenchTracks},
                                  {"bench-latency", StepKind::BenchLatency}};
  for (const auto& c : counted) {
    if (word != c.word) continue;
    if (!parseNumber(argument, number)) return false;
    if (c.kind != StepKind::Wait && number == 0) return false;
    step = makeStep(c.kind, number, text);
    return true;
  }
  return false;
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args, const std::vector<std::string>& utf8Args) {
  ParsedCommandLine parsed;
  HostOptions& options = parsed.options;
  unsigned long benchRetitles = 0;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      Step step;
      if (!parseStep(arg, step)) {
        parsed.error = "unknown step \"" + arg + "\"";
        return parsed;
      }
      options.steps.push_back(step);
      continue;
    }
    if (i + 1 >= args.size()) {
      parsed.error = arg + " needs a value";
      return parsed;
    }
    const std::string& value = args[++i];
    bool good = true;
    if (arg == "--playlist") {
      options.playlist = value;
    } else if (arg == "--log") {
      options.log = value;
    } else if (arg == "--interval") {
      good = parseNumber(value, options.intervalMs);
    } else if (arg == "--exit-after") {
      good = parseNumber(value, options.exitAfterSeconds) && options.exitAfterSeconds > 0;
    } else if (arg == "--bench-retitles") {
      good = parseNumber(value, benchRetitles) && benchRetitles > 0;
    } else if (arg == "--init-failure") {
      good = value == "keep" || value == "unload";
      options.unloadOnInitFailure = value == "unload";
    } else if (arg == "--wide-requests") {
      good = value == "yes" || value == "no";
      options.wideRequests = value == "yes";
    } else if (arg == "--scroll") {
      good = parseNumber(value, options.scrollMs) && options.scrollMs > 0;
    } else if (arg == "--window") {
      good = value == "ansi" || value == "unicode";
      options.unicodeWindow = value == "unicode";
    } else if (arg == "--ini-dir") {
      options.iniDirectory = value == "none" ? "" : value;
    } else if (arg == "--ini-dir-w") {
      // Its ANSI form has "?" where the code page lacks a character.
      const std::string& utf8 = utf8Args.size() == args.size() ? utf8Args[i] : value;
      options.iniDirectoryWideGiven = true;
      options.iniDirectoryWide = value == "none" ? "" : utf8;
    } else {
      parsed.error = "unknown option " + arg;
      return parsed;
    }
    if (!good) {
      parsed.error = "bad value \"" + value + "\" for " + arg;
      return parsed;
    }
  }
  // The benchmark runs before the script, once the plug-ins are in.
  if (benchRetitles > 0) {
    options.steps.insert(options.steps.begin(),
                         makeStep(StepKind::Bench, benchRetitles,
                                  "bench:" + std::to_string(benchRetitles)));
  }
  return parsed;
}

std::vector<Step> expandPlayAll(std::size_t entryCount, unsigned long intervalMs) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < entryCount; ++i) {
    steps.push_back(makeStep(StepKind::PlayIndex, static_cast<unsigned long>(i),
                             "play:" + std::to_string(i)));
    steps.push_back(
        makeStep(StepKind::Wait, intervalMs, "wait:" + std::to_string(intervalMs)));
  }
  return steps;
}

}  // namespace standin
