// The findings as a SARIF 2.1.0 log. Only what the format requires and what
// viewers show is written: the tool with one rule per finding kind, and one
// result per finding with its level, message and place.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "check/CheckerParts.h"

namespace forgeline {

namespace {

// Bytes from key files are not always UTF-8, and a log that is not would be
// thrown away whole by the tools that read it: the JSON library writes each
// string and puts U+FFFD where a byte does not belong to a valid sequence.
std::string jsonString(std::string_view text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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

SarifWriter::SarifWriter(std::ostream& out) : out_(out) {
  // The rules are every finding kind, known before any finding, so they come
  // first and each result can follow as soon as it is found.
  out_ << "{\n"
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
    out_ << separator << "            {\"id\": " << jsonString(kind.id)
         << ", \"shortDescription\": {\"text\": " << jsonString(kind.title)
         << "}, \"defaultConfiguration\": {\"level\": \"" << level(kind.severity) << "\"}}";
    separator = ",\n";
  }
  out_ << "\n          ]\n"
          "        }\n"
          "      },\n"
          "      \"results\": [";
}

// A finding about the whole file points at its first line: code-scanning
// services want a line in every result.
void SarifWriter::add(const Finding& finding) {
  out_ << (anyResult_ ? ",\n" : "\n") << "        {\"ruleId\": " << jsonString(findingKindInfo(finding.kind).id)
       << ", \"ruleIndex\": " << static_cast<int>(finding.kind) << ", \"level\": \"" << level(finding.severity)
       << "\", \"message\": {\"text\": " << jsonString(finding.text)
       << "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": "
       << jsonString(uriReference(finding.file)) << "}, \"region\": {\"startLine\": " << std::max(finding.line, 1)
       << "}}}]}";
  anyResult_ = true;
}

void SarifWriter::finish(const CheckTotals& totals) {
  out_ << (anyResult_ ? "\n      ],\n" : "],\n")
       << "      \"properties\": {\"summary\": " << jsonString(formatSummary(totals)) << "}\n"
       << "    }\n"
          "  ]\n"
          "}\n";
}

void writeSarif(const CheckReport& report, std::ostream& out) {
  SarifWriter writer(out);
  for (const Finding& finding : report.findings) writer.add(finding);
  writer.finish(report.totals());
}

}  // namespace forgeline
