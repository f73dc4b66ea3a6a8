# Out of memory at any one allocation, a simulator or checker either runs
# whole (when it could do without that memory) or says "not enough memory"
# with status 1 and writes no named file: a string stream that could not
# grow must not cut a read name, a SAM field or a VCF word silently.
. "$(dirname "$0")/lib.sh"
. "$SRC/tests/e2e/alloc_sweep_lib.sh"

# Some reads are placed wrong (moved 30 bases) or left unmapped, so that the
# checkers write _wrong files too.
misplace() {
  awk 'BEGIN { FS = OFS = "\t" } /^@/ { print; next }
    { n++ } n % 5 == 3 { $4 += 30 } n % 7 == 0 { $2 += 4 } { print }' "$1" >"$2"
}

gzip -dc "$DATA/lambda.fa.gz" >l.fa
prepare "single reads" single_reads l.fa 100 20 1 10
mv out r.fq
prepare "index" index l.fa 14 l.tidx
prepare "single alignment" align l.tidx -1 r.fq
misplace out r.sam
prepare "pairs" pair_reads l.fa 100 75 20 1 250 25 10 p
prepare "pair alignment" align l.tidx -1 p_1.fq -2 p_2.fq
misplace out p.sam
# Pairs from a mutated copy, judged through its map.
prepare "mutated genome" random_genome l.fa 1 0.01 1 g
prepare "mutated pairs" pair_reads g.fa 100 75 20 1 250 25 10 q
prepare "mutated pair alignment" align l.tidx -1 q_1.fq -2 q_2.fq
misplace out q.sam
# Calls for check_edits on a sample of the mutated copy's edits: some right,
# some moved, some below the quality limit, some multi-allelic, one on a
# sequence the truth lacks and one too short. Lambda's sequence name (27
# characters) is longer than a string holds without allocating, so that
# splitting any of these lines into words may run out of memory.
awk 'BEGIN { FS = OFS = "\t" } NR % 30 == 1 || $3 != "SNP"' g.edits >e.edits
awk 'BEGIN { FS = OFS = "\t"; print "##fileformat=VCFv4.2"
    print "#CHROM", "POS", "ID", "REF", "ALT", "QUAL", "FILTER", "INFO" }
  { n++; pos = $2 + (n % 4 == 0 ? 9 : 0); q = n % 5 == 0 ? 5 : 50 }
  $3 == "SNP" { alt = n % 3 == 0 ? $5 ",<*>" : n % 7 == 0 ? $5 ",GT" : $5
    print $1, pos, ".", $4, alt, q, "PASS", "DP=10" }
  $3 == "DEL" { print $1, pos, ".", "A" $4, "A", q, "PASS", "DP=10" }
  $3 == "INS" { print $1, pos, ".", "A", "A" $5, q, "PASS", "DP=10" }
  END { print "unplaced_contig_of_lambda", 40, ".", "C", "G", 50, "PASS", "DP=10"
    print "unplaced_contig_of_lambda", 41 }' e.edits >e.vcf

sweep single_reads single_reads ../l.fa 100 20 1 10
sweep pair_reads pair_reads ../l.fa 100 75 20 1 250 25 10 pr
sweep gap_reads gap_reads ../l.fa 100 20 1 1 3
sweep gap_reads gap_reads ../l.fa 100 20 1 2 -2
sweep random_genome random_genome ../l.fa 1 0.01 1 rg
sweep check_single check_single ../r.sam 0 20 0 cs
sweep check_pair check_pair ../p.sam 0 20 0 0 cp
# With a map, an alignment at its origin is one base off.
sweep check_pair check_pair ../g.fa.map ../q.sam 1 20 0 0 cq
sweep check_edits check_edits ../e.edits ../e.vcf 0 5 2 10 ce
finish
