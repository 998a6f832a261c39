#!/usr/bin/perl
# No text from a manifest may reach printf as its format: "%n" or a stray "%s" in a vendor's
# or an attacker's template would read or write where the call's arguments are not. The
# simplest rule that keeps it so: every call of the printf family in the product and patchkit
# takes a string literal as its format. A call whose format is anything else (a variable, a
# field, a function's result) is listed with its file and line, and the check fails.
#
# Usage: check_format_calls.pl SOURCE_ROOT
use strict;
use warnings;
use File::Find;

my $root = shift or die "usage: $0 SOURCE_ROOT\n";
# The position of the format among each function's arguments.
my %formatIndex = (
    printf => 0, vprintf => 0,
    fprintf => 1, vfprintf => 1, sprintf => 1, vsprintf => 1, wsprintfA => 1, wsprintf => 1,
    wvsprintfA => 1, wvsprintf => 1,
    snprintf => 2, vsnprintf => 2, _snprintf => 2, StringCchPrintfA => 2, StringCbPrintfA => 2,
);
my $names = join '|', sort keys %formatIndex;

my @sources;
for my $layer (qw(app engine manifest support platform tools)) {
    next unless -d "$root/$layer";
    find(sub { push @sources, $File::Find::name if /\.(cpp|h)$/ }, "$root/$layer");
}

my ($calls, @findings) = (0);
for my $path (sort @sources) {
    open my $in, '<', $path or die "$path: $!\n";
    my $text = do { local $/; <$in> };
    # Comments go, keeping their newlines so that line numbers hold, and a literal's text
    # becomes filler, so that neither "//" nor "printf(" inside one is taken for code.
    $text =~ s{("(?:\\.|[^"\\])*"|'(?:\\.|[^'\\])*')|//[^\n]*|/\*(.*?)\*/}
              {defined $1 ? filler($1) : defined $2 ? ($2 =~ tr/\n//cdr) : ''}gse;
    while ($text =~ /(?<![\w.>])(?:std::|::)?($names)\s*\(/g) {
        my ($function, $start) = ($1, pos $text);
        my $line = 1 + (substr($text, 0, $start) =~ tr/\n//);
        my @arguments = splitArguments(substr($text, $start));
        $calls++;
        my $format = $arguments[$formatIndex{$function}] // '';
        $format =~ s/^\s+|\s+$//g;
        next if $format =~ /^(?:(?:u8|L|u|U)?"_*"\s*)+$/;
        push @findings, "$path:$line: $function takes \"$format\" as its format, not a string literal";
    }
}
print "$_\n" for @findings;
print "check_format_calls: $calls printf-family calls in ", scalar(@sources), " files, ",
      scalar(@findings), " with a format that is not a literal\n";
exit(@findings ? 1 : 0);

sub filler {
    my ($literal) = @_;
    my $quote = substr($literal, 0, 1);
    return $quote . ('_' x (length($literal) - 2)) . $quote;
}

# The top-level arguments of a call whose text starts right after its "(".
sub splitArguments {
    my ($rest) = @_;
    my ($depth, $current, @arguments) = (0, '');
    while ($rest =~ /\G("(?:\\.|[^"\\])*"|'(?:\\.|[^'\\])*'|[()\[\]{},]|[^"'()\[\]{},]+)/gc) {
        my $token = $1;
        if ($token =~ /^[(\[{]$/) { $depth++ }
        elsif ($token =~ /^[)\]}]$/) {
            if ($depth == 0) { push @arguments, $current; return @arguments }
            $depth--;
        } elsif ($token eq ',' && $depth == 0) { push @arguments, $current; $current = ''; next }
        $current .= $token;
    }
    push @arguments, $current;
    return @arguments;
}
