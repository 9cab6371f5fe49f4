#!/usr/bin/perl
# make-application.pl BENCH - the copy bench's "application" payload: an
# installation shaped like a real one, its sizes drawn from a fixed seed.
#
# BENCH/application  the source tree, five folders:
#   BIN          150 files: 4 of 6-12 MB, 40 of 200-800 KB, the rest small
#   BIN/PLUGINS  100 files: 30 of 200-800 KB, the rest small
#   DATA         350 files: 20 of 200-800 KB, the rest small
#   DATA/MAPS    250 files: 6 of 200-800 KB, the rest small
#   DOC          150 files: 100 texts to be compressed, 50 small
# "Small" is 1 byte to 12 KB: 800 in all. The texts are written to
# BENCH/lz-app as Tnnn.TXT; the caller compresses them into DOC as Tnnn.TX_.
#
# BENCH/application.inf  its SETUP.INF (the payload beside it as "payload"):
# BIN and DOC by explicit lines, each file renamed and each folder split
# over two destinations (BIN and BIN\SYSTEM, DOC and DOC\MANUAL, the texts
# expanded there), the other three folders by wildcard lines after them
# (the table's 1000th entry can only come from a wildcard line), and a
# group of four items.
#
# BENCH/application.map  one line per installed file: source, destination
# (below the destination folder) and the file whose bytes it must hold,
# all relative to BENCH.
use strict;
use warnings;

my $bench = shift or die "usage: make-application.pl BENCH\n";
my $root = "$bench/application";
srand(1995);

my $KB = 1024;
my $MB = 1024 * 1024;
sub small_size { 1 + int(rand(12 * $KB)) }
sub medium_size { 200 * $KB + int(rand(600 * $KB)) }
sub large_size { 6 * $MB + int(rand(6 * $MB)) }

# The size classes of a folder in a seeded order, so that sizes are mixed
# along the copy as in a real installation.
sub classes {
    my ($large, $medium, $small) = @_;
    my @c = (('L') x $large, ('M') x $medium, ('S') x $small);
    for (my $i = $#c; $i > 0; $i--) {
        my $j = int(rand($i + 1));
        @c[$i, $j] = @c[$j, $i];
    }
    return @c;
}

sub write_bytes {
    my ($path, $size) = @_;
    open(my $f, '>', $path) or die "$path: $!\n";
    binmode $f;
    my $left = $size;
    while ($left > 0) {
        my $n = $left < 65536 ? $left : 65536;
        print $f substr(pack('N*', map { int(rand(4294967296)) } 1 .. ($n + 3) >> 2), 0, $n);
        $left -= $n;
    }
    close $f or die "$path: $!\n";
}

sub write_text {
    my ($path, $i, $size) = @_;
    open(my $f, '>', $path) or die "$path: $!\n";
    binmode $f;
    my $n = 0;
    while ($n < $size) {
        my $l = sprintf("manual %03d line %06d: some text that compresses fairly well\r\n", $i, $n);
        $l = substr($l, 0, $size - $n);
        print $f $l;
        $n += length $l;
    }
    close $f or die "$path: $!\n";
}

mkdir $_ or die "$_: $!\n" for ($root, "$root/BIN", "$root/BIN/PLUGINS", "$root/DATA", "$root/DATA/MAPS",
                                 "$root/DOC", "$bench/lz-app");

my (@explicit, @map);

# A plain folder: its files made in class order; $line gives a file's
# [Files] line and map entry, or nothing for a wildcard folder.
sub plain_folder {
    my ($dir, $prefix, $ext, $line, @c) = @_;
    for my $i (0 .. $#c) {
        my $name = sprintf('%s%03d.%s', $prefix, $i, $ext);
        my $size = $c[$i] eq 'L' ? large_size() : $c[$i] eq 'M' ? medium_size() : small_size();
        write_bytes("$root/$dir/$name", $size);
        $line->($i, $name);
    }
}

# BIN: one file in four to BIN\SYSTEM as a DLL, the others to BIN as EXE.
plain_folder('BIN', 'F', 'BIN', sub {
    my ($i, $name) = @_;
    my ($dst, $dstdir, $ext) = $i % 4 == 0 ? (3, 'BIN/SYSTEM', 'DLL') : (1, 'BIN', 'EXE');
    my $to = sprintf('M%03d.%s', $i, $ext);
    push @explicit, "B$i,1:$name,$dst:$to,";
    push @map, "application/BIN/$name $dstdir/$to application/BIN/$name";
}, classes(4, 40, 106));

# The wildcard folders go to destinations of the same names.
for my $w (['BIN/PLUGINS', 'P', 'PLG', 30, 70], ['DATA', 'A', 'DAT', 20, 330], ['DATA/MAPS', 'G', 'MAP', 6, 244]) {
    my ($dir, $prefix, $ext, $medium, $small) = @$w;
    plain_folder($dir, $prefix, $ext, sub {
        my ($i, $name) = @_;
        push @map, "application/$dir/$name $dir/$name application/$dir/$name";
    }, classes(0, $medium, $small));
}

# DOC: the texts (compressed by the caller) to DOC\MANUAL under their real
# names, the small files to DOC as help files.
for my $i (0 .. 99) {
    write_text(sprintf('%s/lz-app/T%03d.TXT', $bench, $i), $i, 8 * $KB + int(rand(152 * $KB)));
    push @explicit, sprintf('T%d,5:T%03d.TX_,7:T%03d.TXT,', $i, $i, $i);
    push @map, sprintf('application/DOC/T%03d.TX_ DOC/MANUAL/T%03d.TXT lz-app/T%03d.TXT', $i, $i, $i);
}
plain_folder('DOC', 'H', 'DOC', sub {
    my ($i, $name) = @_;
    my $to = sprintf('H%03d.HLP', $i);
    push @explicit, "H$i,5:$name,6:$to,";
    push @map, "application/DOC/$name DOC/$to application/DOC/$name";
}, classes(0, 0, 50));

open(my $inf, '>', "$bench/application.inf") or die "application.inf: $!\n";
binmode $inf;
print $inf join("\r\n",
    '[App]', 'AppName=CopyBench', 'DefDir=C:\\BENCH\\', 'SpaceNeeded=1', 'InstallToHD=Yes',
    'DefPMGroup=CopyBench,CopyBench',
    '[SrcDirs]', '1=payload\\BIN', '2=payload\\BIN\\PLUGINS', '3=payload\\DATA', '4=payload\\DATA\\MAPS',
    '5=payload\\DOC',
    '[DstDirs]', '1=BIN', '2=BIN\\PLUGINS', '3=BIN\\SYSTEM', '4=DATA', '5=DATA\\MAPS', '6=DOC', '7=DOC\\MANUAL',
    '[Files]', @explicit, '*2-2,', '*3-4,', '*4-5,',
    '[PM Info]', 'xDxBIN\\M001.EXE,Application', 'xDxBIN\\SYSTEM\\M000.DLL,Library',
    'xDxDOC\\MANUAL\\T000.TXT,Manual', 'xDxDOC\\H000.HLP,Help',
    '[End]', '');
close $inf or die "application.inf: $!\n";

open(my $m, '>', "$bench/application.map") or die "application.map: $!\n";
print $m "$_\n" for @map;
close $m or die "application.map: $!\n";
