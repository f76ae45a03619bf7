#pragma once

// The benchmark's report: each part printed and added to a Markdown file.
#include "sampling.h"

#include <filesystem>
#include <string>
#include <vector>

// Prints the text and adds it to the end of the file.
void publish(const std::filesystem::path& file, const std::string& text);

// The table of the medians of each figure over the runs of both programs,
// with their ratio, as Markdown.
std::string figuresTable(const std::vector<Figures>& program, const std::vector<Figures>& baseline);
