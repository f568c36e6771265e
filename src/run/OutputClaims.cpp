#include "run/OutputClaims.hpp"

#include <cstdio>

#include "framework/Paths.hpp"

namespace trovex {

namespace {

constexpr std::size_t kSeriesDigits = 4;

// Four upper-case hexadecimal digits at key[at]. Keys are upper-cased where
// the system ignores letter case, so lower-case digits of a file there match.
bool DigitsAt(const std::string& key, std::size_t at) {
  if (key.size() < at + kSeriesDigits) return false;
  for (std::size_t k = at; k < at + kSeriesDigits; ++k) {
    const char c = key[k];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace

std::string OutputSeries::Name(std::size_t number) const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04zX", number);
  return prefix + digits + suffix;
}

std::optional<std::size_t> TOutputClaims::TNames::FindFile(const std::string& key) const {
  if (const auto found = files_.find(key); found != files_.end()) return found->second;
  for (const auto& [suffixLength, count] : suffixLengths_) {
    if (key.size() < suffixLength + kSeriesDigits) continue;
    const std::size_t at = key.size() - suffixLength - kSeriesDigits;
    if (!DigitsAt(key, at)) continue;
    const auto found = series_.find({key.substr(0, at), key.substr(at + kSeriesDigits)});
    if (found != series_.end()) return found->second;
  }
  return std::nullopt;
}

std::optional<std::size_t> TOutputClaims::TNames::FindSeries(const std::string& prefixKey,
                                                             const std::string& suffixKey) const {
  if (const auto found = series_.find({prefixKey, suffixKey}); found != series_.end()) return found->second;
  // Files named prefix + digits + suffix sort right behind the prefix.
  for (auto file = files_.lower_bound(prefixKey); file != files_.end() && file->first.starts_with(prefixKey); ++file) {
    const std::string& key = file->first;
    if (key.size() == prefixKey.size() + kSeriesDigits + suffixKey.size() && DigitsAt(key, prefixKey.size()) &&
        key.ends_with(suffixKey)) {
      return file->second;
    }
  }
  return std::nullopt;
}

void TOutputClaims::TNames::AddFile(const std::string& key, std::size_t owner) { files_.emplace(key, owner); }

void TOutputClaims::TNames::AddSeries(const std::string& prefixKey, const std::string& suffixKey, std::size_t owner) {
  if (series_.emplace(std::pair{prefixKey, suffixKey}, owner).second) ++suffixLengths_[suffixKey.size()];
}

void TOutputClaims::TNames::Merge(const TNames& other) {
  files_.insert(other.files_.begin(), other.files_.end());
  for (const auto& [key, owner] : other.series_) AddSeries(key.first, key.second, owner);
}

std::optional<TOutputClaims::Clash> TOutputClaims::Claim(const std::string& input, const OutputPlan& plan) {
  const std::size_t owner = owners_.size();
  TNames planned;
  // A name met among the claims names their owner; one met in the plan
  // itself names the input.
  const auto clash = [&](const std::string& path, const std::optional<std::size_t>& claimed,
                         const std::optional<std::size_t>& own) -> std::optional<Clash> {
    if (claimed) return Clash{path, owners_[*claimed], false};
    if (own) return Clash{path, input, true};
    return std::nullopt;
  };
  for (const std::string& path : plan.files) {
    const std::string key = PathKey(path);
    if (auto found = clash(path, claimed_.FindFile(key), planned.FindFile(key))) return found;
    planned.AddFile(key, owner);
  }
  for (const OutputSeries& series : plan.series) {
    const std::string prefixKey = PathKey(series.prefix);
    const std::string suffixKey = PathKey(series.suffix);
    const std::string shown = series.prefix + "XXXX" + series.suffix;
    if (auto found = clash(shown, claimed_.FindSeries(prefixKey, suffixKey), planned.FindSeries(prefixKey, suffixKey)))
      return found;
    planned.AddSeries(prefixKey, suffixKey, owner);
  }
  claimed_.Merge(planned);
  owners_.push_back(input);
  return std::nullopt;
}

void TOutputClaims::Clear() {
  owners_.clear();
  claimed_ = TNames();
}

}  // namespace trovex
