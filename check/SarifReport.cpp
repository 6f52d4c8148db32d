// The findings as a SARIF 2.1.0 log. Only what the format requires and what
// viewers show is written: the tool with one rule per finding kind, and one
// result per finding with its level, message and place.
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

#include "check/CheckerParts.h"

namespace forgeline {

namespace {

// Bytes from key files are not always UTF-8; a byte that does not start a
// valid sequence stands for the Latin-1 character of its value, so the log
// stays valid JSON and shows what the file holds.
std::size_t validSequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = at + 1; i < at + length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  if ((lead == 0xE0 && byte(at + 1) < 0xA0) || (lead == 0xED && byte(at + 1) >= 0xA0) ||
      (lead == 0xF0 && byte(at + 1) < 0x90) || (lead == 0xF4 && byte(at + 1) >= 0x90))
    return 0;
  return length;
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (std::size_t length = validSequenceLength(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
  }
  return out + "\"";
}

// A relative URI reference: every byte but the unreserved ones and "/" is
// percent-encoded, so blanks and "#" in file names survive.
std::string uriReference(std::string_view path) {
  std::string out;
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("-._~/").find(ch) != std::string_view::npos) {
      out += ch;
    } else {
      char encoded[4];
      std::snprintf(encoded, sizeof encoded, "%%%02X", c);
      out += encoded;
    }
  }
  return out;
}

const char* level(Severity severity) { return severity == Severity::error ? "error" : "warning"; }

}  // namespace

void writeSarif(const CheckReport& report, std::ostream& out) {
  out << "{\n"
         "  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
         "  \"version\": \"2.1.0\",\n"
         "  \"runs\": [\n"
         "    {\n"
         "      \"tool\": {\n"
         "        \"driver\": {\n"
         "          \"name\": \"forgeline-cli check\",\n"
         "          \"version\": \"" FORGELINE_VERSION "\",\n"
         "          \"rules\": [";
  const char* separator = "\n";
  for (const FindingKindInfo& kind : findingKinds()) {
    out << separator << "            {\"id\": " << jsonString(kind.id)
        << ", \"shortDescription\": {\"text\": " << jsonString(kind.title)
        << "}, \"defaultConfiguration\": {\"level\": \"" << level(kind.severity) << "\"}}";
    separator = ",\n";
  }
  out << "\n          ]\n"
         "        }\n"
         "      },\n"
         "      \"results\": [";
  separator = "\n";
  for (const Finding& finding : report.findings) {
    out << separator << "        {\"ruleId\": " << jsonString(findingKindInfo(finding.kind).id)
        << ", \"ruleIndex\": " << static_cast<int>(finding.kind) << ", \"level\": \"" << level(finding.severity)
        << "\", \"message\": {\"text\": " << jsonString(finding.text)
        << "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": "
        << jsonString(uriReference(finding.file)) << "}";
    if (finding.line > 0) out << ", \"region\": {\"startLine\": " << finding.line << "}";
    out << "}}]}";
    separator = ",\n";
  }
  out << (report.findings.empty() ? "],\n" : "\n      ],\n")
      << "      \"properties\": {\"summary\": " << jsonString(formatSummary(report)) << "}\n"
      << "    }\n"
         "  ]\n"
         "}\n";
}

}  // namespace forgeline
