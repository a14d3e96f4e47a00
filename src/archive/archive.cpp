#include "archive/archive.h"

#include "archive/stored_classes.h"

#include <algorithm>
#include <atomic>

namespace kestro {

namespace {

constexpr std::uint16_t NullTag = 0x0000;
constexpr std::uint16_t NewClassTag = 0xFFFF;
constexpr std::uint16_t ClassTag = 0x8000;
constexpr std::uint16_t BigObjectTag = 0x7FFF;
constexpr std::uint32_t BigClassTag = 0x80000000u;

// Objects nest as deep as the item trees. Real revision trees are a handful
// of levels; the bound keeps a hostile file from exhausting the stack.
constexpr int MaxNesting = 1000;

// Smallest stored object: a two-byte back-reference tag.
constexpr std::size_t MinObjectBytes = 2;

} // namespace

Archive::Archive() : storing_(true)
{
    static std::atomic<std::uint64_t> stores{0};
    storeNumber_ = ++stores;
}

Archive::Archive(std::string data) : storing_(false), data_(std::move(data))
{
    // Index 0 is the null object. Stored items take about sixteen bytes or
    // more each, so room for one per sixteen bytes of the file seldom has to
    // grow; room never used is never touched.
    loaded_.reserve(data_.size() / 16 + 1);
    loaded_.push_back(Loaded{});
}

void Archive::fail(const std::string& what) const
{
    throw ArchiveError(what);
}

void Archive::writeString(std::string_view s)
{
    const std::size_t n = s.size();
    if (n < 0xFF) {
        writeU8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        writeU8(0xFF);
        writeU16(static_cast<std::uint16_t>(n));
    } else {
        writeU8(0xFF);
        writeU16(0xFFFF);
        writeU32(static_cast<std::uint32_t>(n));
    }
    data_.append(s.data(), n);
}

void Archive::writeCount(std::uint32_t count)
{
    if (count < 0xFFFF) {
        writeU16(static_cast<std::uint16_t>(count));
    } else {
        writeU16(0xFFFF);
        writeU32(count);
    }
}

std::string Archive::readString()
{
    std::uint32_t n = readU8();
    if (n == 0xFF) {
        n = readU16();
        if (n == 0xFFFF)
            n = readU32();
    }
    if (data_.size() - pos_ < n)
        fail("string longer than the rest of the file");
    std::string s = data_.substr(pos_, n);
    pos_ += n;
    return s;
}

std::uint32_t Archive::readCount(std::size_t minElementBytes)
{
    std::uint32_t count = readU16();
    if (count == 0xFFFF)
        count = readU32();
    if (minElementBytes > 0 && count > (data_.size() - pos_) / minElementBytes)
        fail("count " + std::to_string(count) + " larger than the rest of the file");
    return count;
}

void Archive::transfer(std::uint32_t& v)
{
    if (storing_)
        writeU32(v);
    else
        v = readU32();
}

void Archive::transfer(std::int32_t& v)
{
    if (storing_)
        writeU32(static_cast<std::uint32_t>(v));
    else
        v = static_cast<std::int32_t>(readU32());
}

void Archive::transfer(bool& v)
{
    if (storing_)
        writeU32(v ? 1 : 0);
    else
        v = readU32() != 0;
}

void Archive::transferTime(std::time_t& t)
{
    // Times are stored as unsigned 32-bit seconds, which reach into 2106.
    if (storing_)
        writeU32(static_cast<std::uint32_t>(t));
    else
        t = static_cast<std::time_t>(readU32());
}

void Archive::transfer(std::string& s)
{
    if (storing_)
        writeString(s);
    else
        s = readString();
}

std::uint32_t Archive::writeClass(const Serializable* object)
{
    const char* const address = object->className();
    auto known = std::find_if(classesByAddress_.begin(), classesByAddress_.end(),
                              [address](const auto& entry) { return entry.first == address; });
    if (known == classesByAddress_.end()) {
        const auto it = storedClasses_.find(std::string_view(address));
        if (it != storedClasses_.end())
            known = classesByAddress_.insert(classesByAddress_.end(), {address, it->second});
    }
    const std::string_view name = address;
    if (known != classesByAddress_.end()) {
        const std::uint32_t index = known->second;
        if (index < BigObjectTag) {
            writeU16(static_cast<std::uint16_t>(ClassTag | index));
        } else {
            writeU16(BigObjectTag);
            writeU32(BigClassTag | index);
        }
        return index;
    }
    writeU16(NewClassTag);
    writeU16(object->classSchema());
    writeU16(static_cast<std::uint16_t>(name.size()));
    data_.append(name);
    const std::uint32_t index = mapCount_++;
    storedClasses_.emplace(std::string(name), index);
    classesByAddress_.emplace_back(address, index);
    return index;
}

void Archive::writeObject(const Serializable* object)
{
    if (!object) {
        writeU16(NullTag);
        return;
    }
    if (object->storedBy_ == storeNumber_) {
        const std::uint32_t index = object->storedIndex_;
        if (index < BigObjectTag) {
            writeU16(static_cast<std::uint16_t>(index));
        } else {
            writeU16(BigObjectTag);
            writeU32(index);
        }
        return;
    }
    writeClass(object);
    object->storedBy_ = storeNumber_;
    object->storedIndex_ = mapCount_++;
    // Serialising does not change the object; the interface is shared with loading.
    const_cast<Serializable*>(object)->serialize(*this);
}

// Returns the entry in classes_ of the class the tag names, reading a new
// class description when the tag introduces one.
std::uint32_t Archive::readClassTag(std::uint16_t tag, std::uint32_t objectTag)
{
    if (tag == NewClassTag) {
        const std::uint16_t schema = readU16();
        const std::uint16_t length = readU16();
        require(length);
        const std::string name = data_.substr(pos_, length);
        pos_ += length;
        const StoredClass* stored = FindStoredClass(name);
        if (!stored)
            fail("unknown class \"" + name + "\"");
        if (schema < stored->oldestSchema || schema > stored->newestSchema)
            fail("class " + name + " has unsupported schema " + std::to_string(schema));
        LoadedClass loadedClass;
        loadedClass.storedClass = stored;
        loadedClass.schema = schema;
        classes_.push_back(loadedClass);
        Loaded entry;
        entry.isClass = true;
        entry.classEntry = static_cast<std::uint32_t>(classes_.size() - 1);
        loaded_.push_back(entry);
        mapCount_++;
        return entry.classEntry;
    }
    const std::uint32_t index = objectTag & ~BigClassTag;
    if (index >= loaded_.size() || !loaded_[index].isClass)
        fail("reference to class " + std::to_string(index) + " that was not defined");
    return loaded_[index].classEntry;
}

Serializable* Archive::readAnyObject(bool* isNew, KindCheck check)
{
    *isNew = false;
    const std::uint16_t tag = readU16();
    std::uint32_t objectTag;
    if (tag == BigObjectTag)
        objectTag = readU32();
    else
        objectTag = (static_cast<std::uint32_t>(tag & ClassTag) << 16) | (tag & ~ClassTag);

    if (!(objectTag & BigClassTag)) {
        if (objectTag == 0)
            return nullptr;
        if (objectTag >= loaded_.size() || loaded_[objectTag].isClass)
            fail("reference to object " + std::to_string(objectTag) + " that was not read");
        Serializable* object = loaded_[objectTag].object;
        if (!passes(loaded_[objectTag].classEntry, object, check))
            fail(std::string("reference to an object of unexpected class ") + object->className());
        return object;
    }

    const std::uint32_t classEntry = readClassTag(tag, objectTag);
    const std::uint16_t schema = classes_[classEntry].schema;
    std::unique_ptr<Serializable> object = classes_[classEntry].storedClass->create();
    if (!passes(classEntry, object.get(), check))
        fail(std::string("object of unexpected class ") + classes_[classEntry].storedClass->name);
    if (++depth_ > MaxNesting)
        fail("objects nested too deeply");

    Loaded entry;
    entry.object = object.get();
    entry.classEntry = classEntry;
    loaded_.push_back(entry);
    mapCount_++;

    const std::uint16_t outerSchema = currentSchema_;
    currentSchema_ = schema;
    object->serialize(*this);
    currentSchema_ = outerSchema;
    --depth_;
    *isNew = true;
    return object.release();
}

Serializable* Archive::readNewObject(bool allowNull, KindCheck check)
{
    bool isNew = false;
    Serializable* object = readAnyObject(&isNew, check);
    if (!object) {
        if (!allowNull)
            fail("missing object");
        return nullptr;
    }
    if (!isNew)
        fail("an object is stored in two places");
    return object;
}

Serializable* Archive::readBackReference(KindCheck check)
{
    bool isNew = false;
    Serializable* object = readAnyObject(&isNew, check);
    if (isNew) {
        delete object;
        fail("unexpected object where a reference was expected");
    }
    return object;
}

bool Archive::passes(std::uint32_t classEntry, Serializable* object, KindCheck check)
{
    if (classEntry == NoClass)
        return check(object);
    LoadedClass& loadedClass = classes_[classEntry];
    for (const LoadedClass::Answer& answer : loadedClass.answers) {
        if (answer.check == check)
            return answer.passes;
    }
    LoadedClass::Answer& answer = loadedClass.answers[loadedClass.nextAnswer];
    loadedClass.nextAnswer = static_cast<std::uint8_t>((loadedClass.nextAnswer + 1) % loadedClass.answers.size());
    answer = {check, check(object)};
    return answer.passes;
}

void Archive::replaceLoaded(Serializable* from, Serializable* to)
{
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it) {
        if (!it->isClass && it->object == from) {
            it->object = to;
            it->classEntry = NoClass;
            return;
        }
    }
}

} // namespace kestro
