#include "SimOptions.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

namespace voltander::sim {

namespace {

std::optional<long long> ParseWhole(const std::string& text, long long lo, long long hi) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc{} || ptr != end || value < lo || value > hi) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> ParsePositive(const std::string& text) {
  std::istringstream in(text);
  double value = 0;
  in >> value;
  if (!in || !in.eof() || !(value > 0)) return std::nullopt;
  return value;
}

std::optional<Payload> ParseParams(const std::string& text) {
  Payload p{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i + 1 == p.size();
    if (last != (comma == std::string::npos)) return std::nullopt;
    const auto v = ParseWhole(text.substr(start, last ? std::string::npos : comma - start), 0, 255);
    if (!v) return std::nullopt;
    p[i] = static_cast<std::uint8_t>(*v);
    start = comma + 1;
  }
  return p;
}

constexpr long long kMaxMs = std::numeric_limits<int>::max();

}  // namespace

ParseResult ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions o;
  ParseResult result;
  auto fail = [&](const std::string& why) {
    result.error = why;
    return result;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& original = args[i];
    std::string name = original;
    std::optional<std::string> inlineValue;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    // Every k-th reply; the bare flag means every reply.
    if (name == "--bad-start" || name == "--bad-end") {
      int every = 1;
      if (inlineValue) {
        const auto k = ParseWhole(*inlineValue, 1, kMaxMs);
        if (!k) return fail(name + " needs a whole number of at least 1 after '='");
        every = static_cast<int>(*k);
      }
      (name == "--bad-start" ? o.badStartEvery : o.badEndEvery) = every;
      continue;
    }
    if (name == "--help" || name == "-h") {
      result.help = true;
      return result;
    }

    static const std::vector<std::string> kValued{
        "--port",        "--log",        "--version",       "--ratio",        "--params",
        "--state",       "--duty",       "--model-seconds", "--silent-after", "--exit-after",
        "--silent-from", "--silent-for", "--split",         "--stray",        "--stray-every",
        "--noise-from",  "--noise-for",  "--noise-seed",    "--model-polls"};
    if (std::find(kValued.begin(), kValued.end(), name) == kValued.end()) {
      return fail("unknown option '" + original + "'");
    }
    std::string value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return fail(name + " needs a value");
    }
    auto whole = [&](long long lo, long long hi) -> std::optional<long long> {
      return ParseWhole(value, lo, hi);
    };
    auto range = [&](long long lo, long long hi) {
      return name + " takes a whole number from " + std::to_string(lo) + " to " +
             std::to_string(hi) + ", not '" + value + "'";
    };

    if (name == "--port") {
      const auto v = whole(1, 255);
      if (!v) return fail(range(1, 255));
      o.port = static_cast<int>(*v);
    } else if (name == "--log") {
      if (value.empty()) return fail("--log needs a file name");
      o.logPath = value;
    } else if (name == "--version") {
      if (value.empty() || value.size() > 6) return fail("--version takes one to six characters");
      o.version = value;
    } else if (name == "--ratio") {
      const auto v = whole(0, 65535);
      if (!v) return fail(range(0, 65535));
      o.ratioTimes1000 = static_cast<std::uint16_t>(*v);
    } else if (name == "--params") {
      const auto p = ParseParams(value);
      if (!p) return fail("--params takes seven byte values separated by commas");
      o.params = *p;
    } else if (name == "--state") {
      const auto v = whole(0, 15);
      if (!v) return fail(range(0, 15));
      o.fixedState = static_cast<std::uint8_t>(*v);
    } else if (name == "--duty") {
      const auto v = whole(0, 255);
      if (!v) return fail(range(0, 255));
      o.fixedDuty = static_cast<std::uint8_t>(*v);
    } else if (name == "--model-seconds") {
      const auto v = ParsePositive(value);
      if (!v) return fail("--model-seconds takes a number of seconds above 0");
      o.modelSeconds = *v;
    } else if (name == "--model-polls") {
      const auto v = whole(1, kMaxMs);
      if (!v) return fail(range(1, kMaxMs));
      o.modelPolls = static_cast<int>(*v);
    } else if (name == "--silent-after" || name == "--exit-after") {
      const auto v = whole(name == "--exit-after" ? 1 : 0, kMaxMs);
      if (!v) return fail(range(name == "--exit-after" ? 1 : 0, kMaxMs));
      (name == "--exit-after" ? o.exitAfter : o.silentAfter) = static_cast<int>(*v);
    } else if (name == "--silent-from" || name == "--silent-for" || name == "--split") {
      const auto v = whole(0, kMaxMs);
      if (!v) return fail(range(0, kMaxMs));
      const int ms = static_cast<int>(*v);
      if (name == "--silent-from") o.silentFromMs = ms;
      if (name == "--silent-for") o.silentForMs = ms;
      if (name == "--split") o.splitPauseMs = ms;
    } else if (name == "--noise-from" || name == "--noise-for") {
      const auto v = whole(0, kMaxMs);
      if (!v) return fail(range(0, kMaxMs));
      (name == "--noise-from" ? o.noiseFromMs : o.noiseForMs) = static_cast<int>(*v);
    } else if (name == "--noise-seed") {
      const auto v = whole(0, std::numeric_limits<std::uint32_t>::max());
      if (!v) return fail(range(0, std::numeric_limits<std::uint32_t>::max()));
      o.noiseSeed = static_cast<std::uint32_t>(*v);
    } else if (name == "--stray") {
      const auto v = whole(1, 4096);
      if (!v) return fail(range(1, 4096));
      o.strayBytes = static_cast<int>(*v);
    } else {
      const auto v = whole(1, kMaxMs);
      if (!v) return fail(range(1, kMaxMs));
      o.strayEvery = static_cast<int>(*v);
    }
  }
  if (o.silentAfter && o.silentFromMs) {
    return fail("--silent-after and --silent-from cannot be combined");
  }
  if (o.noiseFromMs > 0 && o.noiseForMs == 0) return fail("--noise-from needs --noise-for");
  result.options = o;
  return result;
}

std::string SimUsage(const std::string& programName) {
  return "Usage: " + programName + R"( [options]

Stands in for the charger's controller on a pseudo-terminal. Prints the device
path as the first line on standard output, then answers ten-byte frames:
  R  status reply E (PWM duty, divider ratio x 1000, state code and charge bit)
  V  version reply V + six characters + "0"
  O  stored-parameter reply O + the seven stored parameter bytes
  I  stores the seven payload bytes (replayed by O)
  K  enters the calibration loop (state 5) until the simulator is restarted
  U  stores the ratio N = b2 * 256 + b3 (reported in later status replies)
Received bytes are gathered into frames: bytes ahead of an "S" are dropped; ten
bytes from an "S" without a "T" at the end lose their "S" and the search for the
next "S" goes on inside them; an unfinished frame is dropped after 500 ms
without a further byte.

Options:
  --port N              register the device as Comm N (1-255): a symbolic link
                        $XDG_CONFIG_HOME/Voltander/ports/COM<N> (default
                        ~/.config/Voltander/ports/COM<N>), removed at exit
  --log FILE            log every received frame, one line each:
                        "<microseconds since the epoch> b0 ... b9" (decimal);
                        lines starting with "#" note dropped bytes and replies
  --version TEXT        version text of the V reply, 1-6 characters, padded
                        with blanks (default 200401)
  --ratio N             divider ratio x 1000 in status replies, 0-65535
                        (default 4000; 32768 and above set the high bit)
  --params B2,...,B8    initial stored parameters, seven bytes (default
                        140,143,170,165,29,10,5)
  --state S             fixed state code 0-15 instead of the charge model
  --duty D              fixed PWM duty 0-255 (254 and 255 report a fault)
  --model-seconds S     length of one charge stage in seconds (default 10);
                        the model runs: no battery, then fast charge, normal
                        charge, level holding, maintenance, and again
  --model-polls N       one charge stage every N status polls instead, so the
                        states follow the polling whatever its timing
Faults (replies are counted from 1 in the order they are sent):
  --silent-after N      send no reply after the N-th, for good, or for
                        --silent-for MS if that is given
  --silent-from MS      send no reply from MS after start, for good or for
                        --silent-for MS (alone, --silent-for starts at 0);
                        not together with --silent-after
  --silent-for MS       length of the silent period
  --bad-start[=K]       every K-th reply (default every one) starts with "X"
  --bad-end[=K]         every K-th reply (default every one) ends with "X"
  --split MS            send each reply in two halves, MS apart
  --stray N             send N bytes of noise ("?") ahead of the first reply
  --stray-every K       ... ahead of every K-th reply instead
  --exit-after N        after the N-th reply, close the device and exit
  --noise-for MS        write bursts of 1-16 random bytes at random moments,
                        1-1000 ms apart, for MS; a burst never falls inside a
                        reply (it waits for the reply's last byte); each burst
                        is logged as a "noise" note
  --noise-from MS       start the noise MS after start (default 0)
  --noise-seed S        seed of the noise, 0-4294967295 (default 1): the same
                        seed gives the same bursts
  -h, --help            show this text
SIGTERM, SIGINT and SIGHUP end the simulator cleanly.
)";
}

}  // namespace voltander::sim
