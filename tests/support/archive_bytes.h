#pragma once
// Writes archive bytes straight from the stored layout, keeping the index
// sequence that classes and objects share, so that expected files owe
// nothing to the Archive class they check.
#include <cstdint>
#include <map>
#include <string>

namespace kestro::test {

class ArchiveBytes {
public:
    ArchiveBytes& u8(std::uint8_t v)
    {
        data.push_back(static_cast<char>(v));
        return *this;
    }
    ArchiveBytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    ArchiveBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    ArchiveBytes& raw(const std::string& bytes)
    {
        data += bytes;
        return *this;
    }
    // One length byte, or 0xFF and 16 bits, or 0xFF, 0xFFFF and 32 bits.
    ArchiveBytes& str(const std::string& s)
    {
        if (s.size() < 0xFF)
            u8(static_cast<std::uint8_t>(s.size()));
        else if (s.size() < 0xFFFE)
            u8(0xFF).u16(static_cast<std::uint16_t>(s.size()));
        else
            u8(0xFF).u16(0xFFFF).u32(static_cast<std::uint32_t>(s.size()));
        return raw(s);
    }
    ArchiveBytes& count(std::uint32_t n) { return n < 0xFFFF ? u16(static_cast<std::uint16_t>(n)) : u16(0xFFFF).u32(n); }
    // A back-reference to an object, or the null tag for index 0.
    ArchiveBytes& ref(std::uint32_t index)
    {
        return index < 0x7FFF ? u16(static_cast<std::uint16_t>(index)) : u16(0x7FFF).u32(index);
    }
    ArchiveBytes& classRef(std::uint32_t index)
    {
        return index < 0x7FFF ? u16(static_cast<std::uint16_t>(0x8000 | index)) : u16(0x7FFF).u32(0x80000000u | index);
    }
    // Starts an object: a new-class tag the first time its class appears,
    // then a class back-reference. Returns the index the object takes.
    std::uint32_t object(const std::string& className, std::uint16_t schema)
    {
        const auto known = classes_.find(className);
        if (known != classes_.end()) {
            classRef(known->second);
        } else {
            u16(0xFFFF).u16(schema).u16(static_cast<std::uint16_t>(className.size())).raw(className);
            classes_.emplace(className, next_++);
        }
        return next_++;
    }
    // The fields every item starts with; the caller writes the rest.
    std::uint32_t item(const std::string& className, std::uint16_t schema, const std::string& name,
                       std::uint32_t status, std::uint32_t parent)
    {
        const std::uint32_t index = object(className, schema);
        str(name).u32(status).ref(parent);
        return index;
    }

    std::string data;

private:
    std::map<std::string, std::uint32_t> classes_;
    std::uint32_t next_ = 1;
};

} // namespace kestro::test
