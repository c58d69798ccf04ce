// Test doubles at the platform boundary that tests cannot provoke for real: message boxes are
// recorded instead of shown, the end of the program unwinds to the test as ProgramEnded, the
// shell records its requests, and the clock says what the test tells it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/app_services.h"
#include "platform/clock.h"
#include "platform/shell.h"

namespace pakscour::test {

// Thrown by RecordingApp::end_program; deliberately not a std::exception, so that no error
// trap or event boundary of the program catches it.
struct ProgramEnded {
    int exit_code;
};

struct MessageBoxCall {
    std::string text;
    std::string title;
};

class RecordingApp : public AppServices {
  public:
    void message_box(const std::string& text, const std::string& title) override {
        boxes.push_back({text, title});
    }
    void set_busy_pointer(bool busy) override {
        this->busy = busy;
        pointer_changes.push_back(busy);
    }
    [[noreturn]] void end_program(int exit_code) override {
        ended = true;
        throw ProgramEnded{exit_code};
    }
    std::string exe_name() override { return "pakscour"; }

    std::vector<MessageBoxCall> boxes;
    std::vector<bool> pointer_changes;
    bool busy = false;
    bool ended = false;
};

struct ShellCall {
    std::uintptr_t owner;
    std::optional<std::string> verb;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    std::int32_t show_command;
};

class RecordingShell : public Shell {
  public:
    std::int32_t execute(std::uintptr_t owner, const std::optional<std::string>& verb,
                         const std::string& file, const std::optional<std::string>& parameters,
                         const std::optional<std::string>& directory,
                         std::int32_t show_command) override {
        calls.push_back({owner, verb, file, parameters, directory, show_command});
        return result;
    }
    bool internet_connected() override { return connected; }

    std::int32_t result = 42;
    bool connected = true;
    std::vector<ShellCall> calls;
};

class FixedClock : public Clock {
  public:
    std::string date_text() override { return date; }
    std::string time_text() override { return time; }
    std::string date = "06/12/2026";
    std::string time = "14:05:09";
};

}  // namespace pakscour::test
