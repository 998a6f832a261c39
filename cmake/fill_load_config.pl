#!/usr/bin/perl
# fill_load_config.pl IMAGE: points the load-configuration directory of a PE image at its
# section .lcfg, as MSVC's linker and lld do for _load_config_used. GNU ld (2.40) leaves that
# directory empty, and the loader then reads none of the configuration. The directory's size
# is the configuration's own Size field, its first four bytes. The image's checksum is made
# again over the changed bytes.
use strict;
use warnings;

my $path = shift or die "usage: fill_load_config.pl IMAGE\n";
open(my $file, '<:raw', $path) or die "$path: $!\n";
my $image = do { local $/; <$file> };
close($file);

my $header = unpack('V', substr($image, 0x3C, 4));
substr($image, $header, 4) eq "PE\0\0" or die "$path: not a PE image\n";
my ($sectionCount, $optionalSize) = (unpack('v', substr($image, $header + 6, 2)), unpack('v', substr($image, $header + 20, 2)));
my $optional = $header + 24;
my $magic = unpack('v', substr($image, $optional, 2));
my $directories = $optional + ($magic == 0x20B ? 112 : 96);    # PE32+ : PE32
my $configuration;
for my $i (0 .. $sectionCount - 1) {
  my ($name, $address, $rawStart) = unpack('Z8 x4 V x4 V', substr($image, $optional + $optionalSize + 40 * $i, 40));
  $configuration = [$address, unpack('V', substr($image, $rawStart, 4))] if $name eq '.lcfg';
}
defined $configuration or die "$path: no section .lcfg\n";
substr($image, $directories + 8 * 10, 8) = pack('VV', @$configuration);

# The checksum: the image's 16-bit words added with their carries, its own field taken as 0,
# and the image's length added last.
my $checksumAt = $optional + 64;
substr($image, $checksumAt, 4) = pack('V', 0);
my $sum = 0;
for my $word (unpack('v*', $image . (length($image) % 2 ? "\0" : ''))) {
  $sum += $word;
  $sum = ($sum & 0xFFFF) + ($sum >> 16);
}
substr($image, $checksumAt, 4) = pack('V', $sum + length($image));

open($file, '>:raw', $path) or die "$path: $!\n";
print $file $image;
close($file) or die "$path: $!\n";
