#pragma once

// The project file is an object archive. Its layout, which other installations
// of the program read and write, is fixed byte for byte:
//
//   integers      little-endian; 16-bit or 32-bit as each field says.
//   string        length prefix, then the bytes without terminator:
//                   length < 0xFF            : u8 length
//                   length < 0xFFFE          : u8 0xFF, u16 length
//                   otherwise                : u8 0xFF, u16 0xFFFF, u32 length
//   count         (of a list or map) u16 when < 0xFFFF, else u16 0xFFFF, u32 count
//   object        a class reference, then the object's own fields:
//                   null object              : u16 0x0000
//                   new class                : u16 0xFFFF, u16 schema, u16 name length, name
//                   class written before     : u16 0x8000 | index           (index < 0x7FFF)
//                                              u16 0x7FFF, u32 0x80000000 | index
//                   object written before    : u16 index                    (index < 0x7FFF)
//                                              u16 0x7FFF, u32 index
//                 A new class is followed by the object's fields; so is a
//                 back-referenced class. Classes and objects share one index
//                 sequence starting at 1; a class takes its index when it is
//                 first written, an object just before its fields are written.
//   list          count, then each element as an object.
//   string map    count, then key and value of each entry as strings.
//
// The reader never trusts the file: every length and count is checked against
// the bytes left, every back-reference against the objects read so far and
// the class the reader expects, and nesting is bounded. Any violation throws
// ArchiveError.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestro {

class Archive;

class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Base of every class stored as an object in the project file.
class Serializable {
public:
    Serializable() = default;
    // A copy is a new object that no store has written yet.
    Serializable(const Serializable&) {}
    Serializable& operator=(const Serializable&) { return *this; }
    virtual ~Serializable() = default;
    // A string that lives as long as the program, one per class (a literal).
    virtual const char* className() const = 0;
    virtual std::uint16_t classSchema() const = 0;
    virtual void serialize(Archive& ar) = 0;

private:
    friend class Archive;
    // The store that last wrote this object and the index it gave it, so
    // that a second reference becomes a back-reference without a lookup in
    // a map of every object written.
    mutable std::uint64_t storedBy_ = 0;
    mutable std::uint32_t storedIndex_ = 0;
};

class Archive {
public:
    // An archive that collects written bytes.
    Archive();
    // An archive that reads the given bytes.
    explicit Archive(std::string data);

    bool isStoring() const { return storing_; }
    bool isLoading() const { return !storing_; }

    const std::string& bytes() const { return data_; }
    // The bytes, handed over once the archive is done with them.
    std::string takeBytes() { return std::move(data_); }
    // Room for the bytes a save is expected to write, so that they do not
    // grow step by step on a big project.
    void reserve(std::size_t bytes) { data_.reserve(bytes); }
    bool atEnd() const { return pos_ == data_.size(); }

    // The integers are written and read for every field of tens of
    // thousands of objects, so they are inline.
    void writeU8(std::uint8_t v) { data_.push_back(static_cast<char>(v)); }
    void writeU16(std::uint16_t v)
    {
        const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
        data_.append(bytes, 2);
    }
    void writeU32(std::uint32_t v)
    {
        const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                               static_cast<char>(v >> 24)};
        data_.append(bytes, 4);
    }
    void writeString(std::string_view s);
    void writeCount(std::uint32_t count);

    std::uint8_t readU8()
    {
        require(1);
        return static_cast<std::uint8_t>(data_[pos_++]);
    }
    std::uint16_t readU16()
    {
        require(2);
        const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
        pos_ += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t readU32()
    {
        require(4);
        const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
        pos_ += 4;
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::string readString();
    // Reads a list or map count. Each element takes at least minElementBytes,
    // so a count larger than the rest of the file is refused before anything
    // is allocated for it.
    std::uint32_t readCount(std::size_t minElementBytes);

    // Both directions in one call, for layouts that are the same either way.
    void transfer(std::uint32_t& v);
    void transfer(std::int32_t& v);
    void transfer(bool& v);          // stored as a 32-bit integer
    void transferTime(std::time_t& t); // 32-bit seconds since 1970
    void transfer(std::string& s);

    // Writes an object: null tag, back-reference, or class reference and fields.
    void writeObject(const Serializable* object);

    // Reads an object that the caller will own. It must be a new object (a
    // back-reference cannot be owned twice) of class T or derived from it;
    // a null object is returned as null only when allowNull is set.
    template <class T>
    std::unique_ptr<T> readOwned(bool allowNull = false)
    {
        return std::unique_ptr<T>(static_cast<T*>(readNewObject(allowNull, &IsA<T>)));
    }

    // Reads a non-owning reference: null, or a back-reference to an object
    // already read that is of class T or derived from it. A new object in
    // this position is refused; see readReferenceOrAdopt for the one place
    // where older files hold one.
    template <class T>
    T* readReference()
    {
        return static_cast<T*>(readBackReference(&IsA<T>));
    }

    // Like readReference, but a new object of class T is accepted and handed
    // to adopt, which takes ownership and returns the object that later
    // back-references to it must resolve to.
    template <class T, class Adopt>
    T* readReferenceOrAdopt(Adopt adopt)
    {
        bool isNew = false;
        Serializable* o = readAnyObject(&isNew, &IsA<T>);
        if (!isNew)
            return static_cast<T*>(o);
        std::unique_ptr<T> owned(static_cast<T*>(o));
        T* kept = adopt(std::move(owned));
        replaceLoaded(o, kept);
        return kept;
    }

    // The schema stored for the class of the object being read.
    std::uint16_t schema() const { return currentSchema_; }

    [[noreturn]] void fail(const std::string& what) const;

private:
    // Whether an object is of the class a field expects. Every object the
    // reader hands out has passed one, so the callers' casts need no check.
    using KindCheck = bool (*)(Serializable*);
    template <class T>
    static bool IsA(Serializable* o)
    {
        return dynamic_cast<T*>(o) != nullptr;
    }

    // A class read from the file, with the checks made on its objects and
    // their answers: thousands of objects of one class are checked alike by
    // the few fields that hold them.
    struct LoadedClass {
        const struct StoredClass* storedClass = nullptr;
        std::uint16_t schema = 0;
        struct Answer {
            KindCheck check = nullptr;
            bool passes = false;
        };
        std::array<Answer, 4> answers{};
        std::uint8_t nextAnswer = 0;
    };
    static constexpr std::uint32_t NoClass = 0xFFFFFFFF;
    // What an index names: a class (its entry in classes_), or an object
    // (with its class's entry, or NoClass once an adopted object stands in
    // for it).
    struct Loaded {
        Serializable* object = nullptr;
        std::uint32_t classEntry = NoClass;
        bool isClass = false;
    };

    bool passes(std::uint32_t classEntry, Serializable* object, KindCheck check);

    void require(std::size_t bytes) const
    {
        if (data_.size() - pos_ < bytes)
            fail("unexpected end of file");
    }
    std::uint32_t writeClass(const Serializable* object);
    // Reads the tag of an object; for a new object creates and fills it.
    Serializable* readAnyObject(bool* isNew, KindCheck check);
    Serializable* readNewObject(bool allowNull, KindCheck check);
    Serializable* readBackReference(KindCheck check);
    void replaceLoaded(Serializable* from, Serializable* to);
    // The entry in classes_ of the class the tag names.
    std::uint32_t readClassTag(std::uint16_t tag, std::uint32_t objectTag);

    bool storing_;
    std::string data_;
    std::size_t pos_ = 0;
    std::uint32_t mapCount_ = 1;
    std::uint16_t currentSchema_ = 0;
    int depth_ = 0;

    // Writing: this store's number, unique in the program's run, which the
    // objects it writes keep with their index.
    std::uint64_t storeNumber_ = 0;
    // Looked up by the name a class gives, without copying it per object.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>> storedClasses_;
    // The same, by the address of the name a class gives, which is one
    // string per class: a few entries looked at before any hashing.
    std::vector<std::pair<const char*, std::uint32_t>> classesByAddress_;
    // Reading: entry i is what index i names (entry 0 is the null object).
    std::vector<Loaded> loaded_;
    std::vector<LoadedClass> classes_;
};

} // namespace kestro
