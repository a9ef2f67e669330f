#include "EngineHost.h"

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <QApplication>
#include <QtGlobal>

#include "ModelHost.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::python {

namespace {

// Qt's notices (fonts of the platform without display, a QApplication off the main
// thread) are nothing the caller can act on; critical ones reach stderr.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "vyrcomp: Qt: %s\n", qPrintable(text));
}

// The thread that owns the QApplication, the component libraries and every
// model host. Created on first use and never destroyed (a joinable thread in
// a static object would end the process at exit); ShutdownModelHost ends it.
// A child forked from a process with a host thread has none (fork copies
// only the calling thread), nor a usable QApplication.
std::atomic<bool> gForkedChild{false};

class THostThread {
 public:
  static THostThread& Get() {
    static THostThread* instance = [] {
      pthread_atfork(nullptr, nullptr, [] { gForkedChild = true; });
      return new THostThread;
    }();
    return *instance;
  }

  // Runs f on the host thread and returns its result, or throws what f threw.
  template <class F>
  auto Call(F&& f) -> decltype(f()) {
    using R = decltype(f());
    if (gForkedChild)
      throw std::runtime_error(
          "vyrcomp cannot run model files in a process forked from one that has loaded models (the model host's "
          "thread stays behind in the parent); start worker processes with the \"spawn\" method");
    auto task = std::make_shared<std::packaged_task<R()>>(std::forward<F>(f));
    std::future<R> result = task->get_future();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) throw std::runtime_error("the model host of vyrcomp has shut down (the interpreter is exiting)");
      if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
      tasks_.emplace_back([task] { (*task)(); });
    }
    wake_.notify_one();
    return result.get();
  }

  // Runs the shut-down work on the host thread, then ends it.
  void Shutdown(std::function<void()> last) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_ || !thread_.joinable()) {
        stopping_ = true;
        return;
      }
      tasks_.emplace_back(std::move(last));
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  // Fails when the QApplication of this process is not the host thread's own.
  void NeedApplication() const {
    if (!appError_.empty()) throw std::runtime_error(appError_);
  }

 private:
  THostThread() = default;

  void Loop() {
    // No display: the offscreen platform. (The minimal one, which vyr run
    // uses, corrupts the heap when its QApplication ends on this thread at
    // interpreter exit.)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler previousQt = qInstallMessageHandler(QuietQtMessages);
    static int argc = 1;
    static char name[] = "vyrcomp";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
      app_ = std::make_unique<QApplication>(argc, argv);
    else
      appError_ =
          "this process has a QApplication of its own on another thread; vyrcomp runs model files on a "
          "QApplication that it creates itself, so load models before creating one";
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return !tasks_.empty(); });
        task = std::move(tasks_.front());
        tasks_.pop_front();
        if (stopping_ && tasks_.empty()) {
          lock.unlock();
          task();
          break;
        }
      }
      task();
    }
    app_.reset();
    qInstallMessageHandler(previousQt);
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread thread_;
  std::unique_ptr<QApplication> app_;  // host thread only
  std::string appError_;
};

// What lives on the host thread besides the models: the component libraries
// (loaded once per process) and the models that are still loaded.
struct THostContents {
  std::map<std::string, void*> libraries;  // canonical file -> dlopen handle, in load order below
  std::vector<void*> order;
  std::vector<std::weak_ptr<TModelSession::Impl>> sessions;

  static THostContents& Get() {
    static THostContents* contents = new THostContents;
    return *contents;
  }

  // Loads a component library once; a problem is appended to problems.
  void LoadFile(const std::filesystem::path& file, std::vector<std::string>& problems) {
    std::error_code ec;
    const std::string key = std::filesystem::weakly_canonical(file, ec).string();
    if (libraries.count(key)) return;
    dlerror();
    if (void* h = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      libraries.emplace(key, h);
      order.push_back(h);
    } else {
      const char* why = dlerror();
      problems.push_back("component library " + file.string() + " not loaded: " + (why ? why : "unknown reason"));
    }
  }

  // A file, or every *.so of a folder in name order.
  void Load(const std::string& path, std::vector<std::string>& problems) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
      if (std::filesystem::exists(path, ec))
        LoadFile(path, problems);
      else
        problems.push_back("component library " + path + ": no such file or folder");
      return;
    }
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
      if (it->path().extension() == ".so" && it->is_regular_file(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) LoadFile(f, problems);
  }
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

struct TModelSession::Impl {
  std::unique_ptr<run::TModelHost> host;  // created, used and destroyed on the host thread

  // One property of a component: its form and its list entry ("PRdes : Double").
  struct TProperty {
    TVYRcompform* form = nullptr;
    std::string entry;
  };

  run::TModelHost& Host() {
    if (!host) throw std::runtime_error("the model host of vyrcomp has shut down (the interpreter is exiting)");
    return *host;
  }

  // The properties of every component with that prefix ("__" inputs, "_" results), by name.
  std::vector<std::pair<std::string, TProperty>> Properties(const std::string& prefix) {
    std::vector<std::pair<std::string, TProperty>> all;
    for (TVYRcomp* icon : Host().CalcOrder()) {
      TVYRcompform* form = icon->Compform.data();
      if (form == nullptr) continue;
      std::vector<std::string> list;
      form->GetPropertyList(list, prefix);
      const std::string component = icon->objectName().toStdString();
      for (const std::string& entry : list)
        all.push_back({component + "." + entry.substr(0, entry.find(' ')), TProperty{form, entry}});
    }
    return all;
  }

  // The property of a name among those with the prefixes; throws with what there is.
  TProperty Find(const std::string& name, bool inputsOnly) {
    const std::string component = name.substr(0, name.find('.'));
    std::string known;
    for (const char* prefix : {"__", "_"}) {
      if (inputsOnly && std::string(prefix) == "_") break;
      for (auto& [n, p] : Properties(prefix)) {
        if (n == name) return p;
        if (n.compare(0, component.size() + 1, component + ".") == 0) known += (known.empty() ? "" : ", ") + n;
      }
    }
    const std::string what = inputsOnly ? "input" : "input or result";
    if (known.empty()) {
      std::string components;
      for (TVYRcomp* icon : Host().CalcOrder())
        components += (components.empty() ? "" : ", ") + icon->objectName().toStdString();
      throw std::out_of_range("no " + what + " \"" + name + "\": the model's components are " + components +
                              " (names are <component ID>.<property>)");
    }
    throw std::out_of_range("no " + what + " \"" + name + "\"; " + component + " has " + known);
  }

  TModelOutcome Outcome(run::TRunStatus status, std::size_t errorMark) {
    TModelOutcome o;
    o.status = status;
    const auto& errors = Host().Errors();
    o.errors.assign(errors.begin() + static_cast<std::ptrdiff_t>(std::min(errorMark, errors.size())), errors.end());
    o.warnings = Host().Warnings();
    return o;
  }
};

TModelSession::TModelSession(const std::string& bytes, const std::string& source, const std::string& config,
                             const std::string& caseID, const std::vector<std::string>& complibs)
    : impl_(std::make_shared<Impl>()) {
  THostThread::Get().Call([&] {
    THostThread::Get().NeedApplication();
    THostContents& contents = THostContents::Get();
    std::vector<std::string> problems;
    for (const std::string& c : complibs) contents.Load(c, problems);
    impl_->host = std::make_unique<run::TModelHost>();
    if (!impl_->host->LoadFromString(bytes, source, config, caseID)) {
      std::vector<std::string> why = impl_->host->Errors();
      // A library that did not load explains a class the model names and nobody knows.
      why.insert(why.end(), problems.begin(), problems.end());
      impl_->host.reset();
      throw std::invalid_argument(JoinLines(why));
    }
    contents.sessions.push_back(impl_);
  });
}

TModelSession::~TModelSession() {
  try {
    std::shared_ptr<Impl> impl = impl_;
    THostThread::Get().Call([impl] { impl->host.reset(); });
  } catch (...) {
    // After the shut-down the host is gone already.
  }
}

std::string TModelSession::ConfigPath() const {
  return THostThread::Get().Call([this] { return impl_->Host().ConfigPath(); });
}

std::vector<std::pair<std::string, double>> TModelSession::Inputs() {
  return THostThread::Get().Call([this] {
    std::vector<std::pair<std::string, double>> inputs;
    for (auto& [name, p] : impl_->Properties("__")) inputs.emplace_back(name, p.form->GetPropertyValue(p.entry));
    return inputs;
  });
}

std::vector<std::string> TModelSession::Outputs() {
  return THostThread::Get().Call([this] {
    std::vector<std::string> names;
    for (auto& [name, p] : impl_->Properties("_")) names.push_back(name);
    return names;
  });
}

double TModelSession::Get(const std::string& name) {
  return THostThread::Get().Call([&] {
    const Impl::TProperty p = impl_->Find(name, false);
    return p.form->GetPropertyValue(p.entry);
  });
}

void TModelSession::Set(const std::string& name, double value) {
  THostThread::Get().Call([&] {
    const Impl::TProperty p = impl_->Find(name, true);
    p.form->SetPropertyValue(p.entry, value);
  });
}

TModelOutcome TModelSession::Design() {
  return THostThread::Get().Call([this] {
    const std::size_t mark = impl_->Host().Errors().size();
    engine::TEngineState state;
    const run::TRunStatus status = impl_->Host().Run(state);
    TModelOutcome o = impl_->Outcome(status, mark);
    o.state = std::move(state);
    return o;
  });
}

TModelOutcome TModelSession::OffDesign(const std::vector<engine::TOffDesignPoint>& points,
                                       std::vector<engine::TOffDesignResult>& results) {
  return THostThread::Get().Call([&] {
    const std::size_t mark = impl_->Host().Errors().size();
    engine::TEngineState state;
    const run::TRunStatus status = impl_->Host().RunOffDesign(state, points, results);
    TModelOutcome o = impl_->Outcome(status, mark);
    o.state = std::move(state);
    return o;
  });
}

TSweepRows TModelSession::Sweep(const std::vector<std::string>& inputs, const double* values, std::size_t points,
                                const std::vector<std::string>& outputs, std::vector<double>& outputValues) {
  return THostThread::Get().Call([&] {
    std::vector<Impl::TProperty> in, out;
    for (const std::string& n : inputs) in.push_back(impl_->Find(n, true));
    for (const std::string& n : outputs) out.push_back(impl_->Find(n, false));
    std::vector<double> before;
    for (const Impl::TProperty& p : in) before.push_back(p.form->GetPropertyValue(p.entry));

    TSweepRows rows(points);
    outputValues.assign(points * out.size(), kNaN);
    std::vector<double> figures(PointFigures().size());
    const std::size_t k = in.size();
    for (std::size_t i = 0; i < points; ++i) {
      std::string message;
      bool ok = true;
      for (std::size_t j = 0; j < k; ++j) {
        const double v = values[i * k + j];
        if (!std::isfinite(v)) {
          ok = false;
          message = inputs[j] + " = " + std::to_string(v) + " is not a finite number";
          break;
        }
        in[j].form->SetPropertyValue(in[j].entry, v);
      }
      if (ok) {
        const std::size_t mark = impl_->Host().Errors().size();
        engine::TEngineState state;
        ok = impl_->Host().Run(state) == run::TRunStatus::Ok;
        if (!ok) message = JoinLines(impl_->Outcome(run::TRunStatus::Failed, mark).errors);
        ok = ok && FiguresOf(state, figures.data(), message);
      }
      if (ok)
        for (std::size_t j = 0; j < out.size(); ++j)
          outputValues[i * out.size() + j] = out[j].form->GetPropertyValue(out[j].entry);
      rows.Put(i, ok, figures.data(), std::move(message));
    }
    for (std::size_t j = 0; j < k; ++j) in[j].form->SetPropertyValue(in[j].entry, before[j]);
    return rows;
  });
}

void ShutdownModelHost() {
  THostThread::Get().Shutdown([] {
    THostContents& contents = THostContents::Get();
    for (const auto& weak : contents.sessions)
      if (auto s = weak.lock()) s->host.reset();
    contents.sessions.clear();
    for (auto it = contents.order.rbegin(); it != contents.order.rend(); ++it) dlclose(*it);
    contents.order.clear();
    contents.libraries.clear();
  });
}

}  // namespace vyr::python
