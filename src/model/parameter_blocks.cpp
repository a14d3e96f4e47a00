#include "model/parameter_blocks.h"

#include "archive/archive.h"

#include <cstdint>
#include <string>

namespace kestro {

namespace {

// Writes the newest block number, or reads one and refuses numbers this
// program does not know.
std::uint32_t transferVersion(Archive& ar, const char* block, std::uint32_t oldest,
                              std::uint32_t newest)
{
    std::uint32_t version = newest;
    ar.transfer(version);
    if (version < oldest || version > newest)
        ar.fail(std::string("Unsupported ") + block + " settings version " +
                std::to_string(version));
    return version;
}

// A stored choice indexes fixed tables in the commands. A value outside them
// (from a damaged or foreign file) falls back to the first choice rather than
// making the whole project unreadable.
int ChoiceOrFirst(std::int64_t value, int highest)
{
    return value < 0 || value > highest ? 0 : static_cast<int>(value);
}

}  // namespace

void CheckinSettings::serialize(Archive& ar)
{
    transferVersion(ar, "check-in", 1, 1);
    ar.transfer(lock);
    ar.transfer(keepTime);
    ar.transfer(logMessage);
}

void CheckoutSettings::serialize(Archive& ar)
{
    if (transferVersion(ar, "check-out", 1, 2) >= 2)
        ar.transfer(noKeywords);
    ar.transfer(revision);
    ar.transfer(lock);
    ar.transfer(keepTime);
    ar.transfer(checkoutDate);
}

void CompareSettings::serialize(Archive& ar)
{
    if (transferVersion(ar, "compare", 1, 2) >= 2)
        ar.transfer(noKeywords);
    ar.transfer(revision1);
    ar.transfer(revision2);
    ar.transfer(contextDiff);
    ar.transfer(ignoreBlankLines);
    ar.transfer(ignoreBlankSpace);
    ar.transfer(ignoreCase);
    ar.transfer(ignoreWhiteSpace);
    ar.transfer(showCFunction);
}

void MergeSettings::serialize(Archive& ar)
{
    transferVersion(ar, "merge", 1, 1);
    ar.transfer(ignoreKeywords);
}

void ReportSettings::serialize(Archive& ar)
{
    if (transferVersion(ar, "report", 1, 2) == 1) {
        // The first layout kept the information choice in three parts.
        const std::int64_t a = ar.readU32();
        ar.transfer(dates);
        const std::int64_t b = ar.readU32();
        ar.transfer(lockedOnly);
        ar.transfer(revisions);
        ar.transfer(states);
        ar.transfer(symbolicNames);
        const std::int64_t c = ar.readU32();
        ar.transfer(users);
        information = ChoiceOrFirst(a + b + c, 5);
        return;
    }
    ar.transfer(revisions);
    ar.transfer(dates);
    ar.transfer(users);
    ar.transfer(states);
    ar.transfer(lockedOnly);
    ar.transfer(symbolicNames);
    ar.transfer(information);
    if (ar.isLoading())
        information = ChoiceOrFirst(information, 5);
}

void SendSettings::serialize(Archive& ar)
{
    const std::uint32_t version = transferVersion(ar, "send", 1, 2);
    ar.transfer(destinationSite);
    ar.transfer(releaseToSend);
    if (version == 1)
        ar.readU32();  // a value the first layout kept here and nothing uses
    ar.transfer(originalRelease);
    ar.transfer(sendChoice);
    if (ar.isLoading())
        sendChoice = ChoiceOrFirst(sendChoice, 2);
}

void ImportSettings::serialize(Archive& ar)
{
    const std::uint32_t version = transferVersion(ar, "import", 1, 3);
    if (version >= 3) {
        ar.transfer(includeSubdirectories);
        ar.transfer(mergeAfterImport);
    }
    if (version >= 2) {
        ar.transfer(lock);
        ar.transfer(force);
        ar.transfer(keepTime);
    }
    ar.transfer(sourceSite);
    ar.transfer(releaseName);
    ar.transfer(sourceDirectory);
    ar.transfer(message);
    ar.transfer(determineRevision);
}

}  // namespace kestro
