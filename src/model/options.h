#pragma once

// The program's options: settings for all projects, the defaults a new
// project or site takes, the current user's name, and the settings of each
// RCS command. The global settings live in the user's settings store; the
// command settings and the release-name defaults also travel in every
// project file.

#include "model/parameter_blocks.h"

#include <string>

class QSettings;

namespace kestro {

class Archive;

// The user's settings store of the program (include <QSettings> to call).
QSettings ProgramSettings();

class RCSOptions {
public:
    RCSOptions();

    // The one options object of the process.
    static RCSOptions& instance();

    // Read or write the global settings, then recompute childTimeZone.
    // A value missing from the store leaves its field as it is.
    void LoadOptions();
    void SaveOptions();

    // Sets childTimeZone from useUniversalTime and the system's zone.
    // Kestro's own environment is left alone, so its date conversions do
    // not change; only the RCS programs it starts get the value.
    void ApplyTimeZone();

    // The options block of the project file. Reading is all or nothing:
    // a damaged block throws ArchiveError and changes no field.
    void serialize(Archive& ar);

    CheckinSettings checkin;
    CheckoutSettings checkout;
    ReportSettings report;
    CompareSettings compare;
    MergeSettings merge;
    SendSettings send;
    ImportSettings import;
    ReceiveSettings receive;

    std::string timeFormat = "%d %b %y %H:%M:%S";
    std::string defaultFileTypes =
        "C Source Files (*.c;*.cpp;*.h;*.rc)|*.c;*.cpp;*.h;*.rc|Text files (*.txt)|*.txt";
    bool sortHighestFirst = true;
    std::string defaultReleaseNameFile;
    std::string defaultBuildTemplate = "#define RELEASE \"%s\"\r\n";
    bool useUniversalTime = false;
    std::string defaultSiteName;  // the host name
    std::string defaultSiteEmail;
    std::string defaultSendCommand;
    std::string userName;  // login name of the effective user; never stored
    std::string childTimeZone;  // TZ for the RCS programs
};

// Keeps the check-in, check-out and merge settings the user chose while a
// command fills them for runs of its own (receiving or importing a
// release), and puts them back when it goes out of scope, so that those
// runs never leave Force on or Lock off for the user's next check-in.
class KeptCommandSettings {
public:
    KeptCommandSettings();
    ~KeptCommandSettings();
    KeptCommandSettings(const KeptCommandSettings&) = delete;
    KeptCommandSettings& operator=(const KeptCommandSettings&) = delete;

private:
    CheckinSettings checkin_;
    CheckoutSettings checkout_;
    MergeSettings merge_;
};

// The TZ value for a zone: its name (the daylight name while daylight saving
// is in effect and that name is known, else the standard name, else "UTC")
// followed by the standard offset in whole hours west of Greenwich, truncated
// toward zero; "EST5", "CET-1". A name that TZ cannot hold bare, such as
// "+04", is put in angle brackets: "<+04>-4".
std::string TimeZoneValue(const std::string& standardName, const std::string& daylightName,
                          bool daylightInEffect, long secondsWest);

}  // namespace kestro
