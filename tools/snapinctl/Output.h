#pragma once
// Where snapinctl's records go: one per line, as JSON or as readable text.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <optional>
#include <string>

namespace snapinctl {

using Record = nlohmann::ordered_json;

// A field that may be null.
template <typename T>
Record Nullable(const std::optional<T>& value) {
    return value ? Record(*value) : Record();
}

// One line of JSON; a stray byte that is no UTF-8 still gives valid JSON.
std::string JsonLine(const Record& record);

// Writes records to a stream, each as one JSON line or as its text line.
class COutput {
public:
    COutput(std::FILE* out, bool json) : m_out(out), m_json(json) {}
    void Write(const Record& record, const std::string& text);
    // A line for text output only, such as that a command changed nothing;
    // JSON records say that in their own fields.
    void Say(const std::string& text);
    // Bytes as they are: a document.
    void WriteRaw(const std::string& bytes);
    bool IsJson() const { return m_json; }
    // 0, or 1 when the output could not be written.
    int Finish();

private:
    std::FILE* m_out;
    bool m_json;
};

}  // namespace snapinctl
