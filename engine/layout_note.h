#pragma once

#include "sort_data_reader.h"

#include <cstdint>
#include <string>

namespace dissim {

// The note a completed run carries when its sort data file looks laid out the other way round:
// one line per stimulus, one code per subject on each (the layout some analysis packages
// use). Such a file holds exactly subjects x stimuli codes, so the run reads it without fault
// and writes matrices that are not the study's; only the lines show it. The note is given when
// every line with codes holds as many codes as there are subjects and there are as many such
// lines as stimuli, and nothing follows them.
//
// No note where the shape cannot tell the layouts apart: with one subject or one stimulus both
// layouts hold the codes in the same order, and with as many subjects as stimuli a file of one
// line per subject (the right layout) has the same shape, so a note there would be a false
// alarm on every such study. Empty when there is nothing to say.
std::string transposedLayoutNote(const SortDataReader::LineLayout& layout, std::int64_t subjects,
                                 std::int64_t stimuli);

// Whether the note could be given at all for these counts, before the file's lines are looked at.
bool layoutCanBeTold(std::int64_t subjects, std::int64_t stimuli);

} // namespace dissim
