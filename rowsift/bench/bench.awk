# The awk program equivalent to bench.set: the same four column pairs, side by side, with
# "-" where a pair has fewer rows. Rows are kept in memory until the end.
function num(s) { return s ~ /^[-+.]?[0-9]/ || s ~ /^[-+]\.[0-9]/ }
/^\*/ || $0 == "" { next }
{
    r0++; a0[r0] = $1 "\t" $2
    if (NF >= 4 && num($4) && $4 + 0 > 50) { r1++; a1[r1] = "\t" $1 "\t" $3 }
    r2++; a2[r2] = sprintf("\t%g", ($5 + $6) * 0.5 + $7 / 3)
    if (NF >= 11 && num($10) && $10 + 0 <= 25 && num($11) && $11 + 0 > 10) {
        r3++; a3[r3] = sprintf("\t%s\t%g", $2, $8 * 2.5 - $9)
    }
}
END {
    n = r0; if (r1 > n) n = r1; if (r2 > n) n = r2; if (r3 > n) n = r3
    for (i = 1; i <= n; i++)
        print (i <= r0 ? a0[i] : "-\t-") (i <= r1 ? a1[i] : "\t-\t-") (i <= r2 ? a2[i] : "\t-") (i <= r3 ? a3[i] : "\t-\t-")
}
