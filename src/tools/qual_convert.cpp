// qual_convert: re-encodes FASTQ qualities between Sanger, Solexa and
// Illumina 1.3+ to stdout.
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/quality.h"
#include "common/std_out.h"
#include "tools/fastq_rewrite.h"
#include "tools/tool_io.h"

namespace {

const char *format_name(qual_format_t f) {
  switch (f) {
  case QF_SANGER:
    return "Sanger\n";
  case QF_SOLEXA:
    return "Solexa\n";
  case QF_ILLUMINA:
    return "Illumina 1.3+\n";
  default:
    return "";
  }
}

void convert_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " qual_convert <original_format> <new_format> <input_file>\n"
            << "-- Format --\n"
            << "    S - Sanger or Illumina 1.8+ format [Phred + 33]\n"
            << "    X - Solexa format [Solexa + 64]\n"
            << "    I - Illumina 1.3+ or 1.5+ format [Phred + 64]\n"
            << "Covert the quality format of FASTQ files" << std::endl;
}

// Writes the two format lines; false (after the message) when the pair of
// letters cannot be converted.
bool check_formats(qual_format_t from, qual_format_t to) {
  std::cerr << "Original format: ";
  if (from == QF_NONE) {
    std::cerr << "Error: Wrong original format!" << std::endl;
    return false;
  }
  std::cerr << format_name(from) << "New format: ";
  if (to == QF_SOLEXA) {
    std::cerr << "Error: Cannot convert to Solexa format\n";
    return false;
  }
  if (to == QF_NONE) {
    std::cerr << "Error: Wrong new format!" << std::endl;
    return false;
  }
  std::cerr << format_name(to);
  if (from == to) {
    std::cerr << "Error: Original and New format are the same" << std::endl;
    return false;
  }
  return true;
}

} // namespace

qual_format_t qual_format(const std::string &letter) {
  if (letter == "S")
    return QF_SANGER;
  if (letter == "X")
    return QF_SOLEXA;
  if (letter == "I")
    return QF_ILLUMINA;
  return QF_NONE;
}

bool convert_quality(std::string &qual, qual_format_t from, qual_format_t to) {
  if (from == QF_SOLEXA) {
    if (!solexatosanger(qual))
      return false;
    return to == QF_SANGER || sangertoill_13(qual);
  }
  if (from == QF_ILLUMINA && to == QF_SANGER)
    return ill_13tosanger(qual);
  if (from == QF_SANGER && to == QF_ILLUMINA)
    return sangertoill_13(qual);
  return false;
}

int qual_convert(args_t args) {
  if (args.size() != 3) {
    convert_usage();
    return 3;
  }
  const qual_format_t from = qual_format(args[0]);
  const qual_format_t to = qual_format(args[1]);
  if (!check_formats(from, to))
    return 3;
  fast reader;
  if (!open_whole_names(reader, args[2]))
    return 3;
  if (stdout_clash({args[2]}))
    return 3;
  out_file_t out;
  out_use_stdout(out);
  fast_t rec;
  while (read_next(reader, rec) >= 0) {
    if (!rec.qual_exist) {
      std::cerr << "Error: File is not a FASTQ file" << std::endl;
      return 3;
    }
    if (!convert_quality(rec.qual, from, to)) {
      std::cerr << "Error: line " << rec.name << "," << rec.qual << std::endl;
      return 3;
    }
    out_fastq(out, rec, "");
  }
  return finish_stdout_run(out, reader, 3, 3);
}
