// Model files: loading (beside pugixml's own parse), saving, finding a
// component by ID path, and copying, merging and comparing the whole base
// configuration of a generated model with 2,000 components and 20 nested
// configurations and cases (4.4 MB), and of models with only 2,000 and 20,000
// components.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
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
// With configurations it holds kComponents components and 20 nested
// configurations and cases (about 4.4 MB); without, only the base
// configuration with its components.
std::string GenerateModel(int changeEvery = 0, int components = kComponents, bool configurations = true) {
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- generated model -->\n<VYRmodel Version=\"3.2\">\n";
  x += "  <BaseCfg Name=\"Reference\">\n";
  for (std::string_view id : CfgReadComponent_ids)
    x += "    <" + std::string(id) + ">" + std::string(id) + " of the base</" + std::string(id) + ">\n";
  x += "    <Components>\n";
  for (int i = 0; i < components; ++i)
    AppendComponent(x, i, changeEvery > 0 && i % changeEvery == 0 ? 1 : 0, "      ");
  x += "    </Components>\n";
  int level = 0;
  for (int c = 0; configurations && c < kConfigs; ++c) {
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

// A loaded model: components 0 stands for the 4.4 MB model, otherwise a base
// configuration with that many components; changeEvery as in GenerateModel.
// copy tells apart equal models loaded twice.
TVyrXmlDocument& Loaded(int components, int changeEvery = 0, int copy = 0) {
  static std::map<std::tuple<int, int, int>, std::unique_ptr<TVyrXmlDocument>> docs;
  std::unique_ptr<TVyrXmlDocument>& doc = docs[{components, changeEvery, copy}];
  if (!doc) {
    doc = std::make_unique<TVyrXmlDocument>();
    const std::string text = components == 0 ? GenerateModel(changeEvery)
                                             : GenerateModel(changeEvery, components, false);
    if (!doc->LoadFromString(text, "generated.xml")) std::abort();
  }
  return *doc;
}

const char* SizeLabel(int components) { return components == 0 ? "4.4 MB model" : "components only"; }

// Loading the model file, timed side by side with pugixml's own parse of the
// same file with the same options; the ratio of the two is the figure to watch.
void BM_LoadModelFile(benchmark::State& st) {
  using Clock = std::chrono::steady_clock;
  double ours = 0.0, pugixml = 0.0;
  for (auto _ : st) {
    const auto t0 = Clock::now();
    {
      TVyrXmlDocument doc;
      if (!doc.LoadFromFile(ModelFile())) st.SkipWithError("load failed");
      benchmark::DoNotOptimize(doc.Root());
    }
    const auto t1 = Clock::now();
    {
      pugi::xml_document doc;
      if (!doc.load_file(ModelFile().c_str(), ModelFileParseFlags)) st.SkipWithError("parse failed");
      benchmark::DoNotOptimize(doc.document_element());
    }
    const auto t2 = Clock::now();
    const double a = std::chrono::duration<double>(t1 - t0).count(), b = std::chrono::duration<double>(t2 - t1).count();
    ours += a;
    pugixml += b;
    st.SetIterationTime(a);
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * ModelText().size()));
  st.counters["MB"] = static_cast<double>(ModelText().size()) / 1e6;
  st.counters["pugixml_ms"] = 1e3 * pugixml / static_cast<double>(st.iterations());
  st.counters["ratio"] = ours / pugixml;
}
BENCHMARK(BM_LoadModelFile)->UseManualTime()->Unit(benchmark::kMillisecond);


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
  const int components = static_cast<int>(st.range(0));
  const TVyrXmlNode source = Loaded(components).Root().RefModelRoot();
  TVyrXmlNode target = Loaded(components, 0, 1).Root().RefModelRoot();
  for (auto _ : st) target.CopyNodesByID(source);
  st.SetLabel(SizeLabel(components));
}
BENCHMARK(BM_CopyNodesByID)->Arg(0)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

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
  const int components = static_cast<int>(st.range(0));
  const TVyrXmlNode source = Loaded(components).Root().RefModelRoot();
  TVyrXmlNode target = Loaded(components, 0, 1).Root().RefModelRoot();
  for (auto _ : st) target.MergeDataFromByID(source);
  st.SetLabel(SizeLabel(components));
}
BENCHMARK(BM_MergeDataFromByID)->Arg(0)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Every option; against an equal model and one where every 50th base
// component differs, collecting the differences.
void BM_IsEqualToKQ(benchmark::State& st) {
  const int components = static_cast<int>(st.range(0));
  const bool differs = st.range(1) == 1;
  const TVyrXmlNode a = Loaded(components).Root().RefModelRoot();
  const TVyrXmlNode b = (differs ? Loaded(components, 50) : Loaded(components, 0, 1)).Root().RefModelRoot();
  TXmlNodeList list;
  for (auto _ : st) {
    list.clear();
    if (a.IsEqualToKQ(b, xcoAll, &list) == differs) st.SkipWithError("wrong result");
  }
  st.counters["differences"] = static_cast<double>(list.size());
  st.SetLabel(SizeLabel(components));
}
BENCHMARK(BM_IsEqualToKQ)->ArgsProduct({{0, 2000, 20000}, {0, 1}})->Unit(benchmark::kMillisecond);

// Edges the index has to reach: many siblings of one name, where the target's
// have no "ID" and the source's each carry one (every source child takes the
// first target child still without "ID"); many differing siblings compared
// with a difference list; one element with many attributes.
std::unique_ptr<pugi::xml_document> Siblings(int n, bool ids, const char* value) {
  auto doc = std::make_unique<pugi::xml_document>();
  pugi::xml_node r = doc->append_child("r");
  for (int i = 0; i < n; ++i) {
    pugi::xml_node c = r.append_child("T");
    if (ids) c.append_attribute("ID").set_value(i);
    c.text().set(value);
  }
  return doc;
}

template <class Op>
void TakeOverSiblings(benchmark::State& st, Op op) {
  const int n = static_cast<int>(st.range(0));
  const auto source = Siblings(n, true, "s");
  for (auto _ : st) {
    st.PauseTiming();
    auto target = Siblings(n, false, "t");
    st.ResumeTiming();
    TVyrXmlNode t = target->document_element();
    op(t, source->document_element());
    if (!t.last_child().attribute("ID")) st.SkipWithError("not taken over");
    st.PauseTiming();
    target.reset();
    st.ResumeTiming();
  }
  st.SetItemsProcessed(st.iterations() * n);
}

void BM_CopyIDsOverSiblingsWithoutID(benchmark::State& st) {
  TakeOverSiblings(st, [](TVyrXmlNode& t, pugi::xml_node s) { t.CopyNodesByID(s); });
}
BENCHMARK(BM_CopyIDsOverSiblingsWithoutID)->Arg(3000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MergeIDsOverSiblingsWithoutID(benchmark::State& st) {
  TakeOverSiblings(st, [](TVyrXmlNode& t, pugi::xml_node s) { t.MergeDataFromByID(s); });
}
BENCHMARK(BM_MergeIDsOverSiblingsWithoutID)->Arg(3000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Every sibling's value differs; with the list every one is entered twice.
void BM_IsEqualToKQDifferingSiblings(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const bool withList = st.range(1) == 1;
  const auto a = Siblings(n, true, "1"), b = Siblings(n, true, "2");
  TXmlNodeList list;
  for (auto _ : st) {
    list.clear();
    if (TVyrXmlNode(a->document_element()).IsEqualToKQ(b->document_element(), xcoAll, withList ? &list : nullptr))
      st.SkipWithError("wrong result");
  }
  st.counters["differences"] = static_cast<double>(list.size());
  st.SetItemsProcessed(st.iterations() * n);
}
BENCHMARK(BM_IsEqualToKQDifferingSiblings)
    ->ArgsProduct({{20000, 200000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One element with n attributes and a value: compared with an equal one, and
// copied and merged into one that has them all.
std::unique_ptr<pugi::xml_document> Attributes(int n) {
  auto doc = std::make_unique<pugi::xml_document>();
  pugi::xml_node r = doc->append_child("r");
  r.text().set("v");
  char name[16];
  for (int i = 0; i < n; ++i) {
    std::snprintf(name, sizeof name, "a%d", i);
    r.append_attribute(name).set_value(i);
  }
  return doc;
}

void BM_ManyAttributes(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const auto a = Attributes(n), b = Attributes(n);
  TVyrXmlNode ta = a->document_element();
  for (auto _ : st) {
    bool ok = true;
    switch (st.range(1)) {
      case 0: ok = ta.IsEqualToKQ(b->document_element(), xcoAll, nullptr); break;
      case 1: ta.CopyNodesByID(b->document_element()); break;
      default: ta.MergeDataFromByID(b->document_element()); break;
    }
    if (!ok) st.SkipWithError("wrong result");
  }
  st.SetLabel(st.range(1) == 0 ? "compare" : st.range(1) == 1 ? "copy" : "merge");
  st.SetItemsProcessed(st.iterations() * n);
}
BENCHMARK(BM_ManyAttributes)->ArgsProduct({{10000, 100000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

// The yardstick for the edges above: one walk over n siblings, reading each
// one's name, "ID" and text (range 1 = 0), or over one element's n
// attributes, reading each name and value (range 1 = 1).
void BM_LinearWalk(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const bool attributes = st.range(1) == 1;
  const auto doc = attributes ? Attributes(n) : Siblings(n, true, "1");
  const pugi::xml_node r = doc->document_element();
  for (auto _ : st) {
    std::size_t sum = 0;
    if (attributes) {
      for (pugi::xml_attribute a = r.first_attribute(); a; a = a.next_attribute())
        sum += static_cast<unsigned char>(a.name()[0]) + static_cast<unsigned char>(a.value()[0]);
    } else {
      for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling())
        sum += static_cast<unsigned char>(c.name()[0]) + static_cast<unsigned char>(c.attribute("ID").value()[0]) +
               static_cast<unsigned char>(c.text().get()[0]);
    }
    benchmark::DoNotOptimize(sum);
  }
  st.SetItemsProcessed(st.iterations() * n);
}
BENCHMARK(BM_LinearWalk)->ArgsProduct({{30000, 100000, 1000000}, {0}})->Args({100000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
