# Independent references for the Student-t sample size, from R's qt():
#   quantiles.csv  two-sided critical values t(1 - alpha/2, df)
#   sizes.csv      the smallest n with t(1 - alpha/2, n - 1) * s / sqrt(n) <= d
# Run: Rscript make_reference.R (in this folder).
alphas <- c(0.01, 0.05, 0.10)
df <- sort(unique(c(1:60, round(10^seq(log10(61), 7, length.out = 140)),
                    999, 1000, 1001, 9999, 10000)))
q <- expand.grid(df = df, alpha = alphas)
q$t <- qt(1 - q$alpha / 2, q$df)
write.table(data.frame(alpha = sprintf("%.2f", q$alpha), df = sprintf("%.0f", q$df),
                       t = sprintf("%.17g", q$t)),
            "quantiles.csv", sep = ",", row.names = FALSE, quote = FALSE)

smallest <- function(s, d, alpha) {
  # e(n) falls as n grows: bisect for the first n where it is <= d.
  e <- function(n) s / sqrt(n) * qt(1 - alpha / 2, n - 1)
  lo <- 2; hi <- 2
  while (e(hi) > d) hi <- hi * 2
  if (e(lo) <= d) return(lo)
  while (hi - lo > 1) { m <- (lo + hi) %/% 2; if (e(m) <= d) hi <- m else lo <- m }
  hi
}
set.seed(20261207)
cases <- data.frame(s = signif(10^runif(300, -3, 3), 6), ratio = 10^runif(300, -1.9, 0.5),
                    alpha = sample(alphas, 300, replace = TRUE))
cases$d <- signif(cases$s * cases$ratio, 6)
cases$n <- mapply(smallest, cases$s, cases$d, cases$alpha)
write.table(data.frame(alpha = sprintf("%.2f", cases$alpha), s = cases$s, d = cases$d, n = cases$n),
            "sizes.csv", sep = ",", row.names = FALSE, quote = FALSE)
