// Model files: loading, finding a component by ID path, and copying, merging
// and comparing the whole base configuration of a generated model with 2,000
// components and 20 nested configurations and cases (about 4 MB).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Messages.h"
#include "VyrNativeXml.h"

namespace {

using namespace vyr;

constexpr int kComponents = 2000;
constexpr int kConfigs = 5;  // each with kCasesPerConfig cases: 20 configurations and cases
constexpr int kCasesPerConfig = 3;
constexpr int kOverrides = 100;  // components that each configuration or case overrides
constexpr int kPars = 16;        // parameters per component

std::string Id(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "Comp%04d", i);
  return buf;
}

// One component; variant changes its parameter values.
void AppendComponent(std::string& x, int i, int variant, const std::string& indent) {
  x += indent + "<TVYRcomp ID=\"" + Id(i) + "\" FormClassName=\"TForm" + std::to_string(i % 40) + "\" CompType=\"" +
       (i % 7 == 0 ? "ctLineLink" : "ctModelComp") + "\">\n";
  x += indent + "  <Name>Component " + std::to_string(i) + "</Name>\n";
  x += indent + "  <Left>" + std::to_string(20 * (i % 50)) + "</Left><Top>" + std::to_string(15 * (i / 50)) +
       "</Top><CalcOrder>" + std::to_string(i) + "</CalcOrder>\n";
  x += indent + "  <Data>\n";
  for (int p = 0; p < kPars; ++p)
    x += indent + "    <Par ID=\"P" + std::to_string(p) + "\" Unit=\"SI\">" +
         std::to_string(1.0 + 0.001 * (i * kPars + p) + variant) + "</Par>\n";
  x += indent + "  </Data>\n";
  x += indent + "  <Map ID=\"Main\" File=\"maps/" + Id(i) + ".map\"/>\n";
  x += indent + "</TVYRcomp>\n";
}

void AppendOverrides(std::string& x, int level, const std::string& indent) {
  x += indent + "<AmbConditions><Altitude>" + std::to_string(1000 * level) + "</Altitude></AmbConditions>\n";
  x += indent + "<Components>\n";
  for (int k = 0; k < kOverrides; ++k) AppendComponent(x, (level * 97 + k * 19) % kComponents, level, indent + "  ");
  x += indent + "</Components>\n";
}

// The generated model; every changeEvery-th base component differs (0: none).
std::string GenerateModel(int changeEvery = 0) {
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- generated model -->\n<VYRmodel Version=\"3.2\">\n";
  x += "  <BaseCfg Name=\"Reference\">\n";
  for (std::string_view id : CfgReadComponent_ids)
    x += "    <" + std::string(id) + ">" + std::string(id) + " of the base</" + std::string(id) + ">\n";
  x += "    <Components>\n";
  for (int i = 0; i < kComponents; ++i)
    AppendComponent(x, i, changeEvery > 0 && i % changeEvery == 0 ? 1 : 0, "      ");
  x += "    </Components>\n";
  int level = 0;
  for (int c = 0; c < kConfigs; ++c) {
    x += "    <Config ID=\"Cfg" + std::to_string(c) + "\">\n";
    AppendOverrides(x, ++level, "      ");
    for (int k = 0; k < kCasesPerConfig; ++k) {
      x += "      <Case ID=\"Case" + std::to_string(c) + "_" + std::to_string(k) + "\">\n";
      AppendOverrides(x, ++level, "        ");
      x += "      </Case>\n";
    }
    x += "    </Config>\n";
  }
  x += "  </BaseCfg>\n</VYRmodel>\n";
  return x;
}

const std::string& ModelText() {
  static const std::string text = GenerateModel();
  return text;
}

const std::string& ModelFile() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "vyr_bench_model.xml").string();
    std::ofstream(p, std::ios::binary) << ModelText();
    return p;
  }();
  return path;
}

// A loaded model; changeEvery as in GenerateModel.
TVyrXmlDocument& Loaded(int which) {
  static TVyrXmlDocument docs[3];
  static bool loaded[3] = {};
  if (!loaded[which]) {
    loaded[which] = docs[which].LoadFromString(which == 2 ? GenerateModel(50) : ModelText(), "generated.xml");
  }
  return docs[which];
}

void BM_LoadModelFile(benchmark::State& st) {
  for (auto _ : st) {
    TVyrXmlDocument doc;
    if (!doc.LoadFromFile(ModelFile())) st.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc.Root());
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * ModelText().size()));
  st.counters["MB"] = static_cast<double>(ModelText().size()) / 1e6;
}
BENCHMARK(BM_LoadModelFile)->Unit(benchmark::kMillisecond);

void BM_SaveModelFile(benchmark::State& st) {
  const TVyrXmlDocument& doc = Loaded(0);
  for (auto _ : st) benchmark::DoNotOptimize(doc.SaveToString());
}
BENCHMARK(BM_SaveModelFile)->Unit(benchmark::kMillisecond);

// The last base component relative to the base configuration, and a component
// of the last case from the document node.
void BM_FindNodebyIDPath(benchmark::State& st) {
  const TVyrXmlDocument& doc = Loaded(0);
  const TVyrXmlNode base = doc.Root().RefModelRoot();
  const bool deep = st.range(0) == 1;
  const TVyrXmlNode from = deep ? doc.DocumentNode() : base;
  const TVyrXmlNode wanted =
      deep ? TVyrXmlNode(doc.Document().select_node("//Case[@ID='Case4_2']/Components/TVYRcomp[last()]").node())
           : TVyrXmlNode(base.child("Components").last_child());
  const std::string path = wanted.GetIDPath(from);
  st.SetLabel(path);
  for (auto _ : st) {
    const TVyrXmlNode found = from.FindNodebyIDPath(path, from, {});
    if (found != wanted) st.SkipWithError("wrong element");
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_FindNodebyIDPath)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_GetIDPathAndAncestorSubNode(benchmark::State& st) {
  const TVyrXmlNode comp(Loaded(0).Document().select_node("//Case[@ID='Case4_2']/Components/TVYRcomp[last()]").node());
  for (auto _ : st) {
    benchmark::DoNotOptimize(comp.GetCfgIDPath());
    benchmark::DoNotOptimize(comp.AncestorSubNode());
  }
}
BENCHMARK(BM_GetIDPathAndAncestorSubNode)->Unit(benchmark::kMicrosecond);

// The whole base configuration into an equal one: every element has its counterpart.
void BM_CopyNodesByID(benchmark::State& st) {
  const TVyrXmlNode source = Loaded(0).Root().RefModelRoot();
  TVyrXmlNode target = Loaded(1).Root().RefModelRoot();
  for (auto _ : st) target.CopyNodesByID(source);
}
BENCHMARK(BM_CopyNodesByID)->Unit(benchmark::kMillisecond);

// The whole base configuration into an empty element: every element is new.
void BM_CopyNodesByIDIntoEmpty(benchmark::State& st) {
  const TVyrXmlNode source = Loaded(0).Root().RefModelRoot();
  for (auto _ : st) {
    pugi::xml_document doc;
    TVyrXmlNode target = doc.append_child("BaseCfg");
    target.CopyNodesByID(source);
    benchmark::DoNotOptimize(target);
  }
}
BENCHMARK(BM_CopyNodesByIDIntoEmpty)->Unit(benchmark::kMillisecond);

void BM_MergeDataFromByID(benchmark::State& st) {
  const TVyrXmlNode source = Loaded(0).Root().RefModelRoot();
  TVyrXmlNode target = Loaded(1).Root().RefModelRoot();
  for (auto _ : st) target.MergeDataFromByID(source);
}
BENCHMARK(BM_MergeDataFromByID)->Unit(benchmark::kMillisecond);

// Every option; against an equal model (0) and one where every 50th base
// component differs (1), collecting the differences.
void BM_IsEqualToKQ(benchmark::State& st) {
  const bool differs = st.range(0) == 1;
  const TVyrXmlNode a = Loaded(0).Root().RefModelRoot();
  const TVyrXmlNode b = Loaded(differs ? 2 : 1).Root().RefModelRoot();
  TXmlNodeList list;
  for (auto _ : st) {
    list.clear();
    if (a.IsEqualToKQ(b, xcoAll, &list) == differs) st.SkipWithError("wrong result");
  }
  st.counters["differences"] = static_cast<double>(list.size());
}
BENCHMARK(BM_IsEqualToKQ)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
