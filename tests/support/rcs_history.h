#pragma once

// Builds RCS histories for tests with the real programs, in the current
// (scratch) directory, and brings in what those tests share.

#include "model/command_results.h"
#include "ops/commands.h"
#include "rcs/rcs_programs.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <tuple>
#include <vector>

namespace kestro::test {

// Runs a program with the given arguments (each quoted as the program
// expects) and returns its exit code; output receives what it printed.
int RunProgram(const std::vector<std::string>& arguments, std::string* output = nullptr);

// Writes a working file and checks it in with the given extra options
// ("-l", "-r1.2.1", a date as "-d..."); the working file stays (unlocked
// unless "-l" is given). Fails the test on an error.
void CheckIn(const std::string& path, const std::string& text, const std::string& message,
             const std::vector<std::string>& options = {});

// The output of rlog for a file, for comparing with the model.
std::string Rlog(const std::string& path);

// Replaces a working file's text, whatever its permissions.
void Rewrite(const std::string& path, const std::string& text);

// A revision's text as RCS holds it, keywords unexpanded.
std::string RevisionText(const std::string& rcsPath, const std::string& revision);

// The log message of one revision, one "\n" after each line; "(none)" when
// rlog does not list the revision.
std::string LogMessage(const std::string& rcsPath, const std::string& revision);

std::time_t ModificationTime(const std::string& path);
void SetModificationTime(const std::string& path, std::time_t time);

// How often the part occurs in the text.
std::size_t Count(const std::string& text, const std::string& part);

// Every revision below a file: number -> (status code, locker, message).
using RevisionRow = std::tuple<int, std::string, std::string>;
std::map<std::string, RevisionRow> Revisions(const RCSItem& file);

// A command file's log block for one revision, as the sending site's rlog
// gives it.
std::string LogBlock(const std::string& revision, const std::string& text);

// The command results so far; TakeResults also clears them.
std::string Results();
std::string TakeResults();

// A project for tests with the real programs: the user is the one RCS names
// as the locker, the results start empty, the core's messages are kept and
// the items are shown in a text view.
struct RcsProjectTest : ::testing::Test, ProjectFixture {
    RcsProjectTest();
    // Saves the project in the scratch directory under the name.
    void SaveAs(const std::string& name);
    // Checks a file of the project in through the model, locked and forced,
    // adding it first when the project lacks it.
    RCSFileItem* ModelCheckIn(const std::string& name, const std::string& text, const std::string& message);
    // A send, receive or import with the given choices, each with the command
    // results cleared first; an import comes from Paris, locked, with the
    // message "Delivered by Paris".
    int Send(const std::string& site, const std::string& release, const std::string& original, int choice);
    int Receive(const std::string& commandFile);
    int Import(const std::string& directory, const std::string& release, bool subdirectories = true,
               bool merge = false);
    // Where files from another site arrive, outside the project.
    std::string Incoming(const std::string& relative = {}) const { return incoming.path().toStdString() + "/" + relative; }
    QTemporaryDir incoming;
    TextTreeView view;
    RecordingInteraction interaction;
};

} // namespace kestro::test
