#include "tools/tool_io.h"

#include <iostream>
#include <new>
#include <stdio_ext.h>
#include <unistd.h>

#include "common/path_utils.h"

namespace {

const size_t FLUSH_AT = size_t(1) << 16;

// Once a write has failed nothing more is written, not even what the
// stream still holds: a later write that succeeded would leave a hole in
// the output, where now what it holds is the start of the whole output.
void out_flush(out_file_t &o) {
  if (o.buf.empty())
    return;
  if (!o.failed &&
      (!o.f || std::fwrite(o.buf.data(), 1, o.buf.size(), o.f) != o.buf.size()))
    o.failed = true;
  if (o.failed && o.f)
    __fpurge(o.f);
  o.buf.clear();
}

// Writes the output known as `path` to `fd`, which it then owns.
bool out_create(out_file_t &o, int fd, const std::string &path) {
  out_close(o);
  o.path = path;
  o.failed = false;
  o.f = fd < 0 ? nullptr : fdopen(fd, "wb");
  o.owned = o.f != nullptr;
  if (!o.f) {
    o.failed = true;
    if (fd >= 0) {
      close(fd);
      // A descriptor open for writing is refused only when there is no
      // memory for its stream: the output is fine, the run is short of it.
      throw std::bad_alloc();
    }
  }
  return o.f != nullptr;
}

// Adds one record, in FASTQ or FASTA form, to the buffer whole or not at
// all: when the buffer cannot grow in the middle of it, the part already
// added is taken back, so that what a failed run leaves on its output ends
// at a record's end.
template <bool fastq>
void put_record(out_file_t &o, const fast_t &rec, const std::string &suffix) {
  std::string &b = o.buf;
  const size_t mark = b.size();
  try {
    b += fastq ? '@' : '>';
    b += rec.name;
    b += suffix;
    b += '\n';
    b += rec.seq;
    if (fastq) {
      b += "\n+\n";
      b += rec.qual;
    }
    b += '\n';
  } catch (...) {
    b.resize(mark);
    throw;
  }
  if (b.size() >= FLUSH_AT)
    out_flush(o);
}

} // namespace

out_file_t::~out_file_t() { out_close(*this); }

void out_use_stdout(out_file_t &o) {
  out_close(o);
  o.path = "standard output";
  o.f = stdout;
  o.owned = false;
  o.failed = false;
}

void out_put(out_file_t &o, const std::string &text) {
  o.buf += text;
  if (o.buf.size() >= FLUSH_AT)
    out_flush(o);
}

void out_fastq(out_file_t &o, const fast_t &rec, const std::string &suffix) {
  put_record<true>(o, rec, suffix);
}

void out_fasta(out_file_t &o, const fast_t &rec, const std::string &suffix) {
  put_record<false>(o, rec, suffix);
}

void out_record(out_file_t &o, const fast_t &rec, const std::string &suffix) {
  if (rec.qual_exist)
    put_record<true>(o, rec, suffix);
  else
    put_record<false>(o, rec, suffix);
}

bool close_stdout(out_file_t &o) {
  if (out_close(o))
    return true;
  std::cerr << "Error: cannot write: standard output" << std::endl;
  return false;
}

int finish_stdout_run(out_file_t &o, const fast &reader, int fail,
                      int unreadable) {
  const bool written = close_stdout(o);
  if (report_damage(reader))
    return reader.not_text ? unreadable : fail;
  return written ? 0 : fail;
}

bool out_close(out_file_t &o) {
  if (!o.f) {
    o.buf.clear();
    return !o.failed;
  }
  out_flush(o);
  if (o.owned) {
    if (std::fclose(o.f) != 0)
      o.failed = true;
  } else if (std::fflush(o.f) != 0 || std::ferror(o.f)) {
    o.failed = true;
  }
  o.f = nullptr;
  o.owned = false;
  return !o.failed;
}

bool out_close_all(std::vector<out_file_t> &files) {
  bool ok = true;
  for (out_file_t &o : files) {
    bool open = o.f != nullptr;
    if (!out_close(o) && open) {
      std::cerr << "Error: cannot write: " << o.path << std::endl;
      ok = false;
    }
  }
  return ok;
}

bool out_create_all(std::vector<out_file_t> &files,
                    const std::vector<std::string> &paths,
                    staged_outputs_t &staged) {
  for (size_t i = 0; i < paths.size(); ++i)
    if (!out_create(files[i], stage_output(staged, paths[i]), paths[i])) {
      std::cerr << "Error: cannot write: " << paths[i] << std::endl;
      return false;
    }
  return true;
}

bool out_commit_all(staged_outputs_t &staged) {
  return commit_or_say(staged, "Error: cannot write: ");
}

bool output_is_input(const std::vector<std::string> &outputs,
                     const std::vector<std::string> &inputs) {
  const std::string out = output_over_input(outputs, inputs);
  if (out.empty())
    return false;
  std::cerr << "Error: output file is an input file: " << out << std::endl;
  return true;
}

bool open_whole_names(fast &reader, const std::string &path) {
  reader.trim_slash = false;
  if (reader.open(path))
    return true;
  report_open_failure(reader, "Error: cannot open input file: ");
  return false;
}

bool open_readers(std::unique_ptr<fast> *readers,
                  const std::vector<std::string> &inputs) {
  for (size_t i = 0; i < inputs.size(); ++i) {
    readers[i].reset(new fast());
    if (!readers[i]->open(inputs[i])) {
      report_open_failure(*readers[i], "Error: cannot open: ");
      return false;
    }
  }
  return true;
}

bool report_inputs_damage(const std::unique_ptr<fast> *readers, int n) {
  bool any = false;
  for (int i = 0; i < n; ++i)
    if (report_damage(*readers[i]))
      any = true;
  return any;
}

bool inputs_damaged(const std::unique_ptr<fast> *readers, int n) {
  for (int i = 0; i < n; ++i)
    if (!readers[i]->damage.empty())
      return true;
  return false;
}

std::vector<std::string> fq_names(const std::string &prefix,
                                  const std::string &tag, int num_inputs) {
  if (num_inputs == 1)
    return {prefix + tag + ".fq"};
  return {prefix + tag + "_1.fq", prefix + tag + "_2.fq"};
}

std::string mate_suffix(int num_inputs, int i) {
  if (num_inputs == 1)
    return "";
  return "/" + std::to_string(i + 1);
}
