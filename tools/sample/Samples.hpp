// Writers of the sample game files, one per format family. Each writes its
// files into dir and returns their names.
#pragma once

#include <string>
#include <vector>

namespace trovex::sample {

std::vector<std::string> WriteBiffSamples(const std::string& dir);
std::vector<std::string> WriteTalkSamples(const std::string& dir);
std::vector<std::string> WriteKeySamples(const std::string& dir);
std::vector<std::string> WriteSoundSamples(const std::string& dir);
std::vector<std::string> WriteImageSamples(const std::string& dir);

}  // namespace trovex::sample
