#pragma once

#include "archive/archive.h"
#include "model/site.h"

#include <memory>
#include <string>
#include <vector>

namespace kestro {

struct SiteEntry {
    std::string text;
    Site* site;
};

// The project's sites. The first is this installation (the local site); one
// of them is the master.
class SiteList : public Serializable {
public:
    std::vector<std::unique_ptr<Site>> sites;
    Site* master = nullptr;  // not owned; null only while the list is empty

    const char* className() const override { return "SiteList"; }
    std::uint16_t classSchema() const override { return 3; }
    void serialize(Archive& ar) override;

    Site* GetLocalSite() const;
    bool IsMaster(const Site* site) const { return site && site == master; }
    Site* Find(const std::string& siteName) const;
    // Null when the name is taken or cannot name a site.
    Site* Add(const std::string& siteName, const std::string& email);
    // Takes the site when its name is free and valid; otherwise leaves it
    // with the caller and returns false.
    bool Add(std::unique_ptr<Site>& site);
    // The site of that name, created (never as master) when it is new. A
    // name that cannot name a site is reported in the command results.
    Site* FindOrCreate(const std::string& siteName);
    // Refuses a site that owns a revision, and the local site.
    bool Remove(Site* site);
    // Null makes the first site the master.
    void SetMaster(Site* site);

    // The Send, Receive and Import work, reading their settings from the
    // options; 0 on success.
    int SendRelease();
    int ReceiveRelease(const std::string& path);
    int ImportRelease();

    int FillComboBox(std::vector<SiteEntry>& combo, bool includeLocalSite) const;
    int FillListBox(std::vector<SiteEntry>& lines) const;

private:
    Site* Append(std::unique_ptr<Site> site);
};

// Takes a site that an older project file stored inside a revision rather
// than in the site list: it joins the current project's list, or gives way
// to the listed site of the same name.
Site* AdoptStoredSite(std::unique_ptr<Site> site);

} // namespace kestro
