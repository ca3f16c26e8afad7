# Writes the benchmark's data file: a comment line, then `rows` rows of an integer id and
# ten numbers with four decimals (fixed seed, so every run reads the same file).
#   awk -v rows=1000000 -f generate-data.awk > data.txt
BEGIN {
    srand(42)
    print "* id c2 c3 c4 c5 c6 c7 c8 c9 c10 c11"
    for (i = 1; i <= rows; i++) {
        line = i
        for (c = 0; c < 10; c++)
            line = line " " sprintf("%.4f", rand() * 100)
        print line
    }
}
