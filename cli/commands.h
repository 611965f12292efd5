#pragma once

#include <span>
#include <string_view>

namespace tallux::cli {

class Writer;

// Exit statuses of the command.
inline constexpr int exitDrawn = 0;
inline constexpr int exitResult = 1;        // the method returned an error number
inline constexpr int exitRaised = 2;        // the method raised a run-time error
inline constexpr int exitUsage = 64;        // the command line cannot be run
inline constexpr int exitWarned = 65;       // --strict: a warning was given, nothing written
inline constexpr int exitUnavailable = 69;  // the server library cannot be loaded
inline constexpr int exitOutput = 74;       // the output could not be written
inline constexpr int exitInterrupted = 130; // a batch stopped by SIGINT, SIGTERM or SIGHUP

// Runs the command with its words (without the program name).
int run(std::span<const std::string_view> words, Writer& out, Writer& err);

} // namespace tallux::cli
