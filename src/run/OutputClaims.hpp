// The output names of one run. Each input (an extraction input, or a job-log
// group in replay) claims every path it is about to write before it writes
// any; a name that the run has already claimed is refused, so that no run
// writes the same output path twice. Names compare as the system compares
// them (PathKey: on Windows without regard to letter case).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace trovex {

// A numbered series of names: prefix + four upper-case hexadecimal digits +
// suffix, any number (the frame bitmaps of one image).
struct OutputSeries {
  std::string prefix;
  std::string suffix;
  // prefix + number in four upper-case hexadecimal digits + suffix.
  std::string Name(std::size_t number) const;
};

// The names one input would write. Paths are absolute.
struct OutputPlan {
  std::vector<std::string> files;
  std::vector<OutputSeries> series;
};

class TOutputClaims {
 public:
  // Where a plan meets names claimed before.
  struct Clash {
    std::string path;   // the name both would take (a series shown with XXXX for its digits)
    std::string owner;  // the input that claimed it
    bool withinPlan;    // the plan itself names it twice (owner is the plan's input)
  };

  // Claims every name of plan for input, or none: when a name is claimed
  // already (or the plan holds it twice) the first such clash is returned
  // and nothing is claimed.
  std::optional<Clash> Claim(const std::string& input, const OutputPlan& plan);
  // Forgets every claim: a new run.
  void Clear();

 private:
  // Claimed names by key, each with the index of its owner.
  class TNames {
   public:
    // The owner of a name that path would take, or nothing.
    std::optional<std::size_t> FindFile(const std::string& key) const;
    std::optional<std::size_t> FindSeries(const std::string& prefixKey, const std::string& suffixKey) const;
    void AddFile(const std::string& key, std::size_t owner);
    void AddSeries(const std::string& prefixKey, const std::string& suffixKey, std::size_t owner);
    void Merge(const TNames& other);

   private:
    std::map<std::string, std::size_t> files_;  // ordered: a series looks up its prefix's range
    std::map<std::pair<std::string, std::string>, std::size_t> series_;
    std::map<std::size_t, std::size_t> suffixLengths_;  // of the series, with their counts
  };
  std::vector<std::string> owners_;
  TNames claimed_;
};

}  // namespace trovex
