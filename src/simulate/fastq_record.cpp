#include "simulate/fastq_record.h"

void write_sim_record(std::ostream &out, const std::string &name,
                      const std::string &seq) {
  std::string record;
  record.reserve(name.size() + 2 * seq.size() + 6);
  record += '@';
  record += name;
  record += '\n';
  record += seq;
  record += "\n+\n";
  record.append(seq.size(), 'I');
  record += '\n';
  out.write(record.data(), static_cast<std::streamsize>(record.size()));
}
