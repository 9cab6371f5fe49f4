#!/usr/bin/perl
# call-times.pl TRACE [TITLE] - where SETUPTRC.EXE's time went in one installation
# (the calls bench/call_times.cpp wrote, and the driver's clock line that
# copy-bench.sh appends: OK pressed, progress dialog gone, success box
# seen). Prints the steps from OK on, the copy's cost per file by kind and
# what it is spent on, and the folders, paints and group step.
#
# A call's own time leaves out the calls made inside it (a dispatched
# message that paints). A file's time runs from the opening of its source
# to the opening of the next one; what no timed call holds is the
# program's own work (expanding, paths) and calls not timed.
use strict;
use warnings;

my $trace = shift or die "usage: call-times.pl TRACE [TITLE]\n";
open(my $f, '<', $trace) or die "$trace: $!\n";
my (@calls, $ok, $gone, $box);
while (<$f>) {
    s/\r?\n\z//;
    if (/^clock: (\d+) (\d+) (\d+) per (\d+)/) {
        ($ok, $gone, $box) = map { $_ * 1e6 / $4 } ($1, $2, $3);
    } elsif (/^(\S+) ([\d.]+) ([\d.]+) (\d+) (\d+) (-?\d+)$/) {
        push @calls, { fn => $1, t0 => $2, t1 => $3, a => $4, b => $5, n => $6 };
    }
}
close $f;
die "call-times: no clock line in $trace\n" unless defined $ok;

# Own times: each call less the calls directly inside it. The steps run
# inside the dispatch of a message to the backdrop: such a call, around
# the whole copy, is left out of the counts.
@calls = sort { $a->{t0} <=> $b->{t0} || $b->{t1} <=> $a->{t1} } grep { $_->{t0} >= $ok } @calls;
my @open;
for my $c (@calls) {
    $c->{own} = $c->{t1} - $c->{t0};
    pop @open while @open && $open[-1]{t1} <= $c->{t0};
    $open[-1]{own} -= $c->{t1} - $c->{t0} if @open;
    push @open, $c;
}

my $title = shift // 'one installation';
sub ms { sprintf '%8.1f', ($_[0] - $ok) / 1000 }
sub first_call {
    my ($test, $from) = @_;
    for my $c (@calls) { return $c if $c->{t0} >= ($from // 0) && $test->($c) }
    return undef;
}
my $is_source = sub { $_[0]{fn} eq 'CreateFileA' && ($_[0]{b} & 0x100) };
my $progress = first_call(sub { $_[0]{fn} eq 'CreateDialogParamW' });
my @sources = grep { $is_source->($_) && $_->{t0} >= $progress->{t0} } @calls;
die "call-times: no file copied in $trace\n" unless @sources;
my $copy_end = first_call(sub { $_[0]{fn} eq 'DestroyWindow' }, $sources[-1]{t0});
my @dirs = grep { $_->{fn} =~ /^_(mk|ch)dir$/ && $_->{t0} >= $progress->{t0} && $_->{t0} < $sources[0]{t0} } @calls;
my $dde = first_call(sub { $_[0]{fn} eq 'DdeInitializeA' });
my $message = first_call(sub { $_[0]{fn} eq 'MessageBoxW' }, $copy_end->{t0});
my @disconnects = grep { $_->{fn} eq 'DdeDisconnect' } @calls;

print "  where the time went, $title (ms from OK in the destination dialog; times of the traced program):\n";
printf "    %-48s %s\n", 'progress dialog made', ms($progress->{t1});
printf "    %-48s %s\n", 'folders made (' . @dirs . ' calls)', ms(@dirs ? $dirs[-1]{t1} : $progress->{t1});
printf "    %-48s %s\n", 'first file opened', ms($sources[0]{t0});
printf "    %-48s %s\n", 'last file opened', ms($sources[-1]{t0});
printf "    %-48s %s\n", 'progress dialog destroyed', ms($copy_end->{t0});
printf "    %-48s %s\n", 'progress dialog gone (driver)', ms($gone);
printf "    %-48s %s\n", 'group step: DDE started', ms($dde->{t0}) if $dde;
printf "    %-48s %s\n", 'group step: last command done', ms($disconnects[-1]{t1}) if @disconnects;
printf "    %-48s %s\n", 'success box called', ms($message->{t0}) if $message;
printf "    %-48s %s\n", 'success box on screen (driver)', ms($box);

# Each file from its source's opening to the next one's.
my @cols = ('open src', 'get date', '1st read', 'make dst', 'reads', 'writes', 'set date', 'close src', 'close dst',
            'rename', 'paint', 'queue', 'other', 'own work', 'total');
my %kind_of = (
    GetFileTime => 'get date', SetFileTime => 'set date', WriteFile => 'writes', MoveFileExA => 'rename',
    GetFileAttributesA => 'make dst', FindFirstFileA => 'make dst', FindNextFileA => 'make dst',
    DeleteFileA => 'make dst', RedrawWindow => 'paint', SetWindowTextW => 'paint', SetDlgItemTextW => 'paint',
    SetDlgItemTextA => 'paint', SendMessageA => 'paint', SendDlgItemMessageA => 'paint',
    PeekMessageA => 'queue', DispatchMessageA => 'queue', TranslateMessage => 'queue', IsWindow => 'queue',
    IsWindowEnabled => 'queue', GetDlgItem => 'queue');
my (%sum, %count);
my $j = 0;
for my $i (0 .. $#sources) {
    my $src = $sources[$i];
    my $end = $i < $#sources ? $sources[$i + 1]{t0} : $copy_end->{t0};
    my (%t, $dst, $compressed, $first_read);
    my $calls_total = 0;
    $j++ while $calls[$j]{t0} < $src->{t0};
    for (my $k = $j; $k < @calls && $calls[$k]{t0} < $end; $k++) {
        my $c = $calls[$k];
        $calls_total += $c->{own};
        my $kind;
        if ($c == $src) {
            $kind = 'open src';
        } elsif ($c->{fn} eq 'CreateFileA') {
            $kind = 'make dst';
            $dst = $c->{a};
        } elsif ($c->{fn} eq 'ReadFile') {
            $kind = $first_read++ ? 'reads' : '1st read';
            $compressed //= $c->{b};
        } elsif ($c->{fn} eq 'CloseHandle') {
            $kind = defined $dst && $c->{a} == $dst ? 'close dst' : 'close src';
        } else {
            $kind = $kind_of{$c->{fn}} // 'other';
        }
        $t{$kind} += $c->{own};
    }
    $t{'total'} = $end - $src->{t0};
    $t{'own work'} = $t{'total'} - $calls_total;
    my $size = $src->{n};
    my $class = $compressed ? 'compressed' : $size <= 12 * 1024 ? 'small (<= 12 KB)'
              : $size < 6 * 1024 * 1024 ? 'medium' : 'large (>= 6 MB)';
    $count{$class}++;
    $sum{$class}{$_} += $t{$_} // 0 for @cols;
}
print "  per file, by kind (microseconds per file; a call's own time):\n";
printf "    %-17s %5s %8s", 'kind', 'files', 'ms all';
printf ' %8s', $_ for @cols;
print "\n";
for my $class (sort keys %count) {
    printf "    %-17s %5d %8.1f", $class, $count{$class}, $sum{$class}{'total'} / 1000;
    printf ' %8.0f', $sum{$class}{$_} / $count{$class} for @cols;
    print "\n";
}

# Folders, paints, the group step's DDE calls: count and time.
my %by_fn;
for my $c (@calls) {
    next if $c->{t0} < $sources[0]{t0} && $c->{t1} > $sources[-1]{t0};
    my $where = $c->{t0} < $sources[0]{t0} ? 'before the copy' : $c->{t0} < $copy_end->{t0} ? 'copy' : 'after';
    $by_fn{"$c->{fn} ($where)"}{n}++;
    $by_fn{"$c->{fn} ($where)"}{t} += $c->{own};
}
print "  calls (count, own ms in all):\n";
for my $k (sort { $by_fn{$b}{t} <=> $by_fn{$a}{t} } keys %by_fn) {
    next if $by_fn{$k}{t} < 1000 && $k !~ /^(_mkdir|_chdir|Dde|MessageBox|RedrawWindow)/;
    printf "    %-44s %6d %8.1f\n", $k, $by_fn{$k}{n}, $by_fn{$k}{t} / 1000;
}
