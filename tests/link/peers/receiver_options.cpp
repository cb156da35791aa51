#include "receiver_options.h"

#include <charconv>
#include <stdexcept>

namespace cs::test {

const char* const kSimulatorUsage = R"(usage: simulated-receiver [options]

Creates a pseudo-terminal for the program under test (the engine side), writes its device path
to --ready-file once everything is set up, and behaves as the receiver on it. lrzsz reads from a
second pseudo-terminal and writes into a pipe; bytes are relayed with a small latency.

Receiver:
  (default)               command mode: ESC "O" "Q" runs `rb --ymodem -y -u` in --inbox,
                          "GETSETT" runs `sb --ymodem` on --settings-file, "GETBASE" on
                          --base-file; everything else is ignored
  --no-command --mode receive|send|relay
                          no command: start rb (receive), sb on --send-file (send) or the
                          --relay-to-command (relay) as soon as the engine side is opened
  --inbox DIR             rb's target folder (created when missing)
  --settings-file F, --base-file F, --send-file F
  --sb-1k                 run sb with -k (1024-byte blocks)
  --return-received       "GETSETT" sends back the file the last rb run received (the one
                          rb wrote last into --inbox), from a copy in --inbox/.returned;
                          before anything was received it falls back to --settings-file
  --return-date YYYYMMDD  the copy sent back carries this date in its header, as a receiver
                          stamps its own date into the file it builds
  --return-flip OFFSET    the copy sent back has the byte at this file offset inverted, to
                          plant a difference (repeatable)
  --relay-to-command CMD  pure relay to CMD run by /bin/sh on the second pseudo-terminal
  --transfers N           transfers to serve (default 1)
  --c-repeat-ms N         while rb waits for the first block, repeat its "C" every N ms
                          (default 1000, 0 = only rb's own, every 10 s)

Line (DIR is to-peer or to-engine; without DIR: both directions):
  --latency-us N          delay of each direction (default 1000)
  --throttle [DIR:]BYTES_PER_SEC         (11520 = 115200 baud 8N1)
  --seed N                seed of every fault decision (default 1)
  --flip-rate [DIR:]P     flip one bit of a byte with probability P
  --drop-rate [DIR:]P     lose a byte with probability P
  --garbage-rate [DIR:]P  insert a random byte after a byte with probability P
  --stall-ms [DIR:]AT:DURATION[:drop]
                          after AT bytes the line goes silent for DURATION ms; bytes are held
                          and delivered afterwards, or lost with ":drop" (repeatable)
  --fault-at [DIR:]AT:flip|drop|insert
                          damage the byte at index AT: flip one bit, lose it, or insert one
                          byte after it (repeatable)
  --hangup-after [DIR:]BYTES
                          after BYTES bytes hang up the engine side (its pseudo-terminal is
                          closed; the engine sees POLLHUP/EIO) and end lrzsz

Process:
  --ready-file F          written (atomically) with the engine-side device path
  --watch-fd N            end when this descriptor hangs up (the owner died)
  --timeout-ms N          give up after N ms (default 120000): exit status 124
  --hup-grace-ms N        engine side closed this long while lrzsz runs: end (default 3000)
  --linger-ms N           after the last transfer, wait at most this long for the engine
                          side to close before ending (default 3000)
  --verbose               log events on stderr

Exit status: lrzsz's (128+signal when killed), 3 when no transfer ran, 124 on time-out,
125 on bad usage or a set-up failure. The last stderr line is a one-line summary.
)";

namespace {

[[noreturn]] void fail(const std::string& message) { throw std::invalid_argument(message); }

template <typename T>
T parseNumber(std::string_view text, const std::string& option) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        fail(option + ": not a number: '" + std::string(text) + "'");
    return value;
}

double parseRate(std::string_view text, const std::string& option) {
    const double p = parseNumber<double>(text, option);
    if (!(p >= 0.0 && p <= 1.0))
        fail(option + ": probability must be in 0..1");
    return p;
}

// Splits an optional "to-peer:" / "to-engine:" prefix off `value` and returns the lines it
// applies to.
std::vector<LineConfig*> directions(std::string_view& value, SimulatorConfig& config) {
    for (const auto& [prefix, line] : {std::pair{std::string_view("to-peer:"), &config.toPeer},
                                       std::pair{std::string_view("to-engine:"), &config.toEngine}}) {
        if (value.substr(0, prefix.size()) == prefix) {
            value.remove_prefix(prefix.size());
            return {line};
        }
    }
    return {&config.toPeer, &config.toEngine};
}

LineStall parseStall(std::string_view value, const std::string& option) {
    LineStall stall;
    const auto colon = value.find(':');
    if (colon == std::string_view::npos)
        fail(option + ": expected AT:DURATION[:drop]");
    stall.atByte = parseNumber<std::uint64_t>(value.substr(0, colon), option);
    std::string_view rest = value.substr(colon + 1);
    const auto colon2 = rest.find(':');
    if (colon2 != std::string_view::npos) {
        if (rest.substr(colon2 + 1) != "drop")
            fail(option + ": expected AT:DURATION[:drop]");
        stall.drop = true;
        rest = rest.substr(0, colon2);
    }
    stall.duration = std::chrono::milliseconds(parseNumber<std::uint32_t>(rest, option));
    return stall;
}

LineFault parseFault(std::string_view value, const std::string& option) {
    const auto colon = value.find(':');
    if (colon == std::string_view::npos)
        fail(option + ": expected AT:flip|drop|insert");
    LineFault fault;
    fault.atByte = parseNumber<std::uint64_t>(value.substr(0, colon), option);
    const std::string_view kind = value.substr(colon + 1);
    if (kind == "flip")
        fault.kind = LineFault::Kind::Flip;
    else if (kind == "drop")
        fault.kind = LineFault::Kind::Drop;
    else if (kind == "insert")
        fault.kind = LineFault::Kind::Insert;
    else
        fail(option + ": expected AT:flip|drop|insert");
    return fault;
}

} // namespace

SimulatorConfig parseSimulatorArguments(const std::vector<std::string>& args) {
    SimulatorConfig config;
    bool noCommand = false;
    bool modeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto next = [&]() -> std::string_view {
            if (i + 1 >= args.size())
                fail(option + ": missing value");
            return args[++i];
        };
        if (option == "--ready-file") {
            config.readyFile = std::string(next());
        } else if (option == "--watch-fd") {
            config.watchFd = parseNumber<int>(next(), option);
        } else if (option == "--inbox") {
            config.inbox = std::string(next());
        } else if (option == "--settings-file") {
            config.settingsFile = std::string(next());
        } else if (option == "--base-file") {
            config.baseFile = std::string(next());
        } else if (option == "--send-file") {
            config.sendFile = std::string(next());
        } else if (option == "--sb-1k") {
            config.sb1k = true;
        } else if (option == "--return-received") {
            config.returnReceived = true;
        } else if (option == "--return-date") {
            config.returnDate = std::string(next());
            if (config.returnDate.size() != 8 ||
                config.returnDate.find_first_not_of("0123456789") != std::string::npos)
                fail("--return-date: expected eight digits YYYYMMDD");
        } else if (option == "--return-flip") {
            config.returnFlips.push_back(parseNumber<std::uint64_t>(next(), option));
        } else if (option == "--no-command") {
            noCommand = true;
        } else if (option == "--mode") {
            const std::string_view mode = next();
            modeGiven = true;
            if (mode == "receive")
                config.mode = ReceiverMode::Receive;
            else if (mode == "send")
                config.mode = ReceiverMode::Send;
            else if (mode == "relay")
                config.mode = ReceiverMode::Relay;
            else if (mode == "command")
                config.mode = ReceiverMode::Command;
            else
                fail("--mode: expected receive, send, relay or command");
        } else if (option == "--relay-to-command") {
            config.relayCommand = std::string(next());
            config.mode = ReceiverMode::Relay;
            modeGiven = true;
        } else if (option == "--transfers") {
            config.transfers = parseNumber<int>(next(), option);
            if (config.transfers < 1)
                fail("--transfers: at least 1");
        } else if (option == "--c-repeat-ms") {
            config.cRepeat = std::chrono::milliseconds(parseNumber<std::uint32_t>(next(), option));
        } else if (option == "--latency-us") {
            const auto us = std::chrono::microseconds(parseNumber<std::uint32_t>(next(), option));
            config.toPeer.latency = config.toEngine.latency = us;
        } else if (option == "--seed") {
            config.seed = parseNumber<std::uint64_t>(next(), option);
        } else if (option == "--flip-rate" || option == "--drop-rate" || option == "--garbage-rate") {
            std::string_view value = next();
            for (LineConfig* line : directions(value, config)) {
                const double p = parseRate(value, option);
                (option == "--flip-rate" ? line->flipRate
                 : option == "--drop-rate" ? line->dropRate
                                           : line->garbageRate) = p;
            }
        } else if (option == "--stall-ms") {
            std::string_view value = next();
            for (LineConfig* line : directions(value, config))
                line->stalls.push_back(parseStall(value, option));
        } else if (option == "--fault-at") {
            std::string_view value = next();
            for (LineConfig* line : directions(value, config))
                line->faults.push_back(parseFault(value, option));
        } else if (option == "--hangup-after") {
            std::string_view value = next();
            for (LineConfig* line : directions(value, config))
                line->hangupAfter = parseNumber<std::uint64_t>(value, option);
        } else if (option == "--throttle") {
            std::string_view value = next();
            for (LineConfig* line : directions(value, config))
                line->throttleBytesPerSec = parseNumber<std::uint64_t>(value, option);
        } else if (option == "--timeout-ms") {
            config.timeout = std::chrono::milliseconds(parseNumber<std::uint32_t>(next(), option));
        } else if (option == "--hup-grace-ms") {
            config.hupGrace = std::chrono::milliseconds(parseNumber<std::uint32_t>(next(), option));
        } else if (option == "--linger-ms") {
            config.linger = std::chrono::milliseconds(parseNumber<std::uint32_t>(next(), option));
        } else if (option == "--verbose") {
            config.verbose = true;
        } else {
            fail("unknown option '" + option + "'");
        }
    }

    if (noCommand && (!modeGiven || config.mode == ReceiverMode::Command))
        fail("--no-command needs --mode receive, send or relay");
    if (config.readyFile.empty())
        fail("--ready-file is required");
    switch (config.mode) {
    case ReceiverMode::Command:
        if (config.inbox.empty() && config.settingsFile.empty() && config.baseFile.empty())
            fail("command mode needs --inbox, --settings-file or --base-file");
        if (config.returnReceived && config.inbox.empty())
            fail("--return-received needs --inbox");
        break;
    case ReceiverMode::Receive:
        if (config.inbox.empty())
            fail("--mode receive needs --inbox");
        break;
    case ReceiverMode::Send:
        if (config.sendFile.empty())
            fail("--mode send needs --send-file");
        break;
    case ReceiverMode::Relay:
        if (config.relayCommand.empty())
            fail("--mode relay needs --relay-to-command");
        break;
    }
    for (const auto* file : {&config.settingsFile, &config.baseFile, &config.sendFile}) {
        std::error_code ec;
        if (!file->empty() && !std::filesystem::is_regular_file(*file, ec))
            fail("no such file: " + file->string());
    }
    return config;
}

} // namespace cs::test
