// The findings as a SARIF 2.1.0 log. Only what the format requires and what
// viewers and code-scanning services show is written: the tool with one rule
// per finding kind and its help, the folder the paths are relative to, and
// one result per finding with its level, message and place.
#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/CheckerParts.h"

namespace forgeline {

namespace {

using Json = nlohmann::ordered_json;

// Bytes from key files are not always UTF-8, and a log that is not would be
// thrown away whole by the tools that read it: the JSON library writes each
// string and puts U+FFFD where a byte does not belong to a valid sequence.
std::string dumped(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

const char* level(Severity severity) { return severity == Severity::error ? "error" : "warning"; }

// The README's table cell: Markdown that shows the text as it is.
std::string markdown(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::string_view("\\*<|").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

Json rule(const FindingKindInfo& kind) {
  return {{"id", kind.id},
          {"shortDescription", {{"text", kind.title}}},
          {"fullDescription", {{"text", kind.description}}},
          {"help", {{"text", kind.description}, {"markdown", markdown(kind.description)}}},
          {"defaultConfiguration", {{"level", level(kind.severity)}}}};
}

// The base id relative URIs name: the folder the command was run in, which
// is where a code-scanning service's checkout begins.
constexpr const char* kBaseId = "SRCROOT";

}  // namespace

SarifWriter::SarifWriter(std::ostream& out, ReportPaths paths) : out_(out), paths_(std::move(paths)) {
  // The rules are every finding kind, known before any finding, so they come
  // first and each result can follow as soon as it is found.
  out_ << "{\n"
          "  \"$schema\": \"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json\",\n"
          "  \"version\": \"2.1.0\",\n"
          "  \"runs\": [\n"
          "    {\n"
          "      \"tool\": {\n"
          "        \"driver\": {\n"
          "          \"name\": \"forgeline-cli check\",\n"
          "          \"version\": \"" FORGELINE_VERSION "\",\n"
          "          \"informationUri\": \"" FORGELINE_HOMEPAGE "\",\n"
          "          \"rules\": [";
  const char* separator = "\n";
  for (const FindingKindInfo& kind : findingKinds()) {
    out_ << separator << "            " << dumped(rule(kind));
    separator = ",\n";
  }
  out_ << "\n          ]\n"
          "        }\n"
          "      },\n";
  if (const std::string base = paths_.baseUri(); !base.empty())
    out_ << "      \"originalUriBaseIds\": " << dumped({{kBaseId, {{"uri", base}}}}) << ",\n";
  out_ << "      \"results\": [";
}

// A finding about the whole file points at its first line: code-scanning
// services want a line in every result.
void SarifWriter::add(const Finding& finding) {
  const ReportPaths::Location where = paths_.location(finding.file);
  Json artifact = {{"uri", where.uri}};
  if (where.underBase) artifact["uriBaseId"] = kBaseId;
  const Json result = {
      {"ruleId", findingKindInfo(finding.kind).id},
      {"ruleIndex", static_cast<int>(finding.kind)},
      {"level", level(finding.severity)},
      {"message", {{"text", finding.text}}},
      {"locations",
       Json::array({{{"physicalLocation",
                      {{"artifactLocation", artifact}, {"region", {{"startLine", std::max(finding.line, 1)}}}}}}})}};
  out_ << (anyResult_ ? ",\n" : "\n") << "        " << dumped(result);
  anyResult_ = true;
}

void SarifWriter::finish(const CheckTotals& totals) {
  out_ << (anyResult_ ? "\n      ],\n" : "],\n")
       << "      \"properties\": {\"summary\": " << dumped(formatSummary(totals)) << "}\n"
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
