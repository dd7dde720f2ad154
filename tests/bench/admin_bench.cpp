// Business rights of the user dialog on a function tree of 20,000 nodes: loading the
// tree's outline, default rights for every node and the node-rights save batch, next to
// the baseline of writing the resulting UsrRight.ini once. The dialog's work should stay
// within a few times the baseline: the rights file is kept in memory and written once
// per operator action, never once per node. Default rights are measured both from the
// tree's nodes and through a list of node ids built first, the way a caller holding
// ids runs them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "admin/UserRights.h"
#include "sys/Files.h"
#include "sys/TempFolder.h"
#include "ui/ListCtrls.h"

namespace {

constexpr int kTopNodes = 200;
constexpr int kChildren = 99;  // 200 * (1 + 99) = 20,000 nodes

// The view-node tree as the server sends it: top nodes with one level of children.
const std::string& Outline() {
  static const std::string text = [] {
    std::string out;
    for (int top = 1; top <= kTopNodes; ++top) {
      out += std::to_string(top);
      out += ":Function group\r\n";
      for (int child = 1; child <= kChildren; ++child) {
        out += '\t';
        out += std::to_string(top * 1000 + child);
        out += ":Function\r\n";
      }
    }
    return out;
  }();
  return text;
}

// The server's rights file: every other node has rights already.
std::string ServerRightsFile() {
  std::string path = sys::TempFolder() + "bench-server-" + admin::kRightsFileName;
  std::string text = "[Right]\r\n";
  ui::TTreeView tree(nullptr, "MainDirTrv");
  tree.LoadOutline(Outline());
  const std::vector<ui::TTreeNode*> nodes = tree.Nodes();
  for (std::size_t i = 0; i < nodes.size(); i += 2) {
    text += admin::NodeIdOf(nodes[i]->Text());
    text += "=11110000\r\n";
  }
  sys::WriteFileBytes(path, text);
  return path;
}

const std::string& ServerFile() {
  static const std::string path = ServerRightsFile();
  return path;
}

// The rights file after default rights, as the dialog then holds it.
admin::TRightsFile FinalRightsFile() {
  ui::TTreeView tree(nullptr, "MainDirTrv");
  tree.LoadOutline(Outline());
  admin::TRightsFile file = admin::LoadRightsFile(ServerFile());
  admin::ApplyDefaultRights(file, tree.Nodes());
  file.Path = sys::TempFolder() + admin::kRightsFileName;
  return file;
}

// Baseline: the final UsrRight.ini written once.
void BM_WriteFinalRightsFileOnce(benchmark::State& state) {
  admin::TRightsFile file = FinalRightsFile();
  for (auto _ : state) {
    file.Dirty = true;
    admin::SaveRightsFile(file);
  }
  state.counters["bytes"] = static_cast<double>(sys::ReadFileBytes(file.Path).size());
}
BENCHMARK(BM_WriteFinalRightsFileOnce)->Unit(benchmark::kMillisecond);

void BM_LoadOutline(benchmark::State& state) {
  ui::TTreeView tree(nullptr, "MainDirTrv");
  for (auto _ : state) {
    tree.LoadOutline(Outline());
  }
  state.counters["nodes"] = tree.Count();
}
BENCHMARK(BM_LoadOutline)->Unit(benchmark::kMillisecond);

// Switching business rights on: the server's rights file read into memory.
void BM_LoadServerRightsFile(benchmark::State& state) {
  for (auto _ : state) {
    admin::TRightsFile file = admin::LoadRightsFile(ServerFile());
    benchmark::DoNotOptimize(file);
  }
}
BENCHMARK(BM_LoadServerRightsFile)->Unit(benchmark::kMillisecond);

// Default rights: "10000000" stored for every node in tree order, the file written once.
void BM_DefaultRightsForEveryNode(benchmark::State& state) {
  ui::TTreeView tree(nullptr, "MainDirTrv");
  tree.LoadOutline(Outline());
  for (auto _ : state) {
    state.PauseTiming();
    admin::TRightsFile file = admin::LoadRightsFile(ServerFile());
    file.Path = sys::TempFolder() + admin::kRightsFileName;
    state.ResumeTiming();
    admin::ApplyDefaultRights(file, tree.Nodes());
    admin::SaveRightsFile(file);
  }
}
BENCHMARK(BM_DefaultRightsForEveryNode)->Unit(benchmark::kMillisecond);

void BM_NodeRightsBatch(benchmark::State& state) {
  const admin::TRightsFile file = FinalRightsFile();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string batch = admin::NodeRightsBatch("0012", "000002", file);
    bytes = batch.size();
    benchmark::DoNotOptimize(batch);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_NodeRightsBatch)->Unit(benchmark::kMillisecond);

// The three together, as the operator meets them: switch on, default rights, save.
void BM_BusinessRightsWhole(benchmark::State& state) {
  for (auto _ : state) {
    ui::TTreeView tree(nullptr, "MainDirTrv");
    tree.LoadOutline(Outline());
    admin::TRightsFile file = admin::LoadRightsFile(ServerFile());
    file.Path = sys::TempFolder() + admin::kRightsFileName;
    admin::ApplyDefaultRights(file, tree.Nodes());
    admin::SaveRightsFile(file);
    std::string batch = admin::NodeRightsBatch("0012", "000002", file);
    benchmark::DoNotOptimize(batch);
  }
}
BENCHMARK(BM_BusinessRightsWhole)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
